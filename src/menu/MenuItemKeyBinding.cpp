#include "menu/MenuItemKeyBinding.h"

#include "engine/ContextManager.h"
#include "gui/GuiEnvironment.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "menu/ContextKeyCapture.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(MenuItemKeyBinding, MenuItem, u"MenuItemKeyBinding")

MenuItemKeyBinding::MenuItemKeyBinding(float x, float y, float z, int32_t* b, std::u16string_view captionText,
                                       std::u16string_view hintText)
    : MenuItem(x, y, z, captionText, hintText), binding(b) {
    ZUB_ASSERT(binding != nullptr);
    // The code indexes the name table; the settings file may hold any number.
    if (*binding < 0 || *binding >= ZubInput::INPUT_CODES) *binding = 0;
}

MenuItemKeyBinding::~MenuItemKeyBinding() = default;

WString MenuItemKeyBinding::keyName(int32_t code) {
    const ZubInput* in = ZubInput::active();
    if (!in || code < 0 || code >= ZubInput::INPUT_CODES) return WString();
    return in->keyNames[code];
}

void MenuItemKeyBinding::tick(double time, double dt) {
    MenuItem::tick(time, dt);
    const ZubInput* in = ZubInput::active();
    if (bHovered && in && in->wasAnyPointerPressed()) {
        if (ContextManager* stack = gui::screenStack(this))
            stack->pushContext(new ContextKeyCapture(&capturedCode, caption, gui::text(SID_CONTROLSHINT)));
    }
    if (capturedCode != 0 && capturedCode != input_codes::KEY_ESCAPE) {
        // One code drives one action: whoever held it loses it.
        if (GameConfiguration* config = gui::environment().configuration) config->unbindInput(capturedCode);
        *binding = capturedCode;
        capturedCode = 0;
    }
}

void MenuItemKeyBinding::renderValue(float x, float y, float z) {
    const WString name = keyName(*binding);
    drawText(font, 0x14, name, V3(x, y, z), scale * fitFactor(name), captionCurrentColor);
}
