// Game code naming a platform header: must not compile (layering check).
#include "platform/Platform.h"
