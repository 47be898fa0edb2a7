// An object-tree source reaching up into the network layer: must not
// compile with the object library's include directories (layering check).
#include "object/ZubBase.h"
#include "net/NetRole.h"
