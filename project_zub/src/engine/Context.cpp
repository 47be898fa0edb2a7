#include "engine/Context.h"

ZUB_IMPLEMENT_NAMED_CLASS(Context, ZubBase, u"Context")
