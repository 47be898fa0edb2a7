// An object-tree source including its own folder and those below: must
// compile with the object library's include directories (layering check).
#include "object/Packet.h"
#include "object/Replication.h"
#include "sys/Logger.h"
#include "util/Format.h"
