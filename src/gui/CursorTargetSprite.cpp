#include "gui/CursorTargetSprite.h"

#include "gfx/Context.h"
#include "gui/GuiClassIds.h"

ZUB_IMPLEMENT_CLASS(CursorTargetSprite, Renderable, gui_ids::CursorTargetSprite)

CursorTargetSprite::CursorTargetSprite() = default;

CursorTargetSprite::CursorTargetSprite(Skin* skin, const V3& p) : Renderable(skin, p) {}

CursorTargetSprite::~CursorTargetSprite() = default;

V3 CursorTargetSprite::cursorAnchor(int index) {
    if (!bCursorAnchor || index != 0) return noAnchor();
    return findContext(this)->camera->worldToScreen(position);
}
