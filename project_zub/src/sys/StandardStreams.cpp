#include "sys/StandardStreams.h"

#include "platform/PlatformProcess.h"

void openClosedStandardStreams() { platform::openClosedStandardStreams(); }
