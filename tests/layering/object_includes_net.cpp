// An object-tree source reaching up into the network layer: must not
// compile with the object library's include directories (layering check).
#include "net/NetRole.h"
#include "object/ZubBase.h"
