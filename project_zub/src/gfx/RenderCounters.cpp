#include "gfx/RenderCounters.h"

RenderCounters renderCounters;
