// Game code including the engine headers that use the platform layer inside
// them, and a game header: must compile (layering check).
#include "engine/Zub.h"
#include "engine/ZubMain.h"
#include "gfx/Texture.h"
#include "gfx/VertexBuffer.h"
#include "gfx/ZubGraphics.h"
#include "input/ZubInput.h"
#include "sys/ArchiveReader.h"
#include "sys/HttpRequest.h"
#include "sys/SystemRandom.h"
#include "util/KeyCodes.h"
#include "world/Terrain.h"

static_assert(input_codes::KEY_ESCAPE == 1);
