#include "gui/MousePointer.h"

#include "gfx/Context.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "object/ResourceLookup.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(MousePointer, Renderable, gui_ids::MousePointer)

MousePointer::MousePointer() : texture(findResource<Texture>(u"mousePointer")) {}

MousePointer::~MousePointer() = default;

void MousePointer::tick(double, double) {
    const bool locked = gui::isDebugLocked();
    if (Skin* s = texture->getSkin(locked ? 1 : 0)) pSkin = s;
    if (const Context* c = Context::environment.current) position = V3(c->mousePosition.x, c->mousePosition.y, 0.0f);
    onTransformChanged();

    const bool touch = isTouchInput();
    if (locked) {
        setAlpha(0xFF);
        bHidden = touch ? 1 : 0;
    } else {
        bHidden = 0;
        setAlpha(touch ? 0x40 : 0xFF);
    }
    // Over the bars beside the picture the system's cursor shows instead;
    // drawn there, the arrow would reach into the picture as a second one.
    if (const ZubInput* in = ZubInput::active(); in && !in->isMouseOverPicture()) bHidden = 1;
}
