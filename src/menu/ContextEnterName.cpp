#include "menu/ContextEnterName.h"

#include "gfx/Context.h"
#include "gui/GameSquare.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemCharKey.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "records/GameConfiguration.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextEnterName, ContextMenu, u"ContextEnterName")

namespace {

constexpr int kDisplayFlags = FontQuad::TEXT_SYSTEM_FONT | FontQuad::TEXT_AT_X;
constexpr int kKeyWidth = 72;
constexpr float kKeyStepX = 74.0f, kKeyStepY = 50.0f;

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Any input of a game pad (the controller blocks of the input table) went down.
bool padWentDown(const ZubInput& in) {
    for (int code = ZubInput::JOY_BASE; code < ZubInput::MOUSE_DIRECTION_BASE; ++code)
        if (in.keys[code] >= 128 && in.prevKeys[code] < 128) return true;
    return false;
}

MenuItemCharKey* makeKey(float x, float y, char16_t* target, char16_t c, std::u16string_view caption) {
    auto* key = new MenuItemCharKey(x, y, 0.0f, target, c, caption, u"");
    key->setWidth(kKeyWidth);
    return key;
}

}  // namespace

ContextEnterName::ContextEnterName(bool addMode) : bAddMode(addMode ? 1 : 0) {
    ZUB_ASSERT(gui::environment().profiles != nullptr);
    bEscapeCloses = bAddMode;
    bDeleteWhenDone = 1;
    gui::playSound(u"pop");
    buildItems();
}

ContextEnterName::~ContextEnterName() = default;

bool ContextEnterName::showsKeys() const { return bPadKeys || (isTouchInput()); }

void ContextEnterName::buildItems() {
    destroyChildren();
    // Key navigation only over the pad's keyboard: elsewhere Return and the
    // arrows belong to the typing.
    bKeyNavigation = bPadKeys;
    const bool keys = showsKeys();

    addChild(new GameSquare(0.0f, 0.0f, 0.0f, 640.0f, keys ? 400.0f : 256.0f, true, gui::text(SID_ENTERYOURNAME)));
    nameDisplay = new FadingText(0.0f, keys ? 150.0f : 50.0f, 0.0f, u"", gui::font(u"fontMediumOutline"), 0xFFFFFFFFu);
    nameDisplay->bShadow = 0;
    addChild(nameDisplay);
    okButton = new MenuButton(0.0f, keys ? -150.0f : -80.0f, 0.0f, gui::text(SID_OK), u"");
    addItem(okButton);
    okButton->setWidth(160);
    if (!keys) return;

    // a-g, h-n, o-u and v-z in rows of seven, then space and delete.
    for (int k = 0; k < 26; ++k) {
        const float column = static_cast<float>(k % 7 - 3), row = static_cast<float>(k / 7);
        const auto c = static_cast<char16_t>(u'a' + k);
        addItem(makeKey(kKeyStepX * column, kKeyStepY - kKeyStepY * row, &keyTyped, c, WString(1, c)));
    }
    addItem(makeKey(2.0f * kKeyStepX, -2.0f * kKeyStepY, &keyTyped, u' ', u" "));
    addItem(makeKey(3.0f * kKeyStepX, -2.0f * kKeyStepY, &keyTyped, u'\b', u"\x03"));
}

void ContextEnterName::placeCursorOnKeys() {
    ZubInput* in = ZubInput::active();
    auto keys = childrenOf<MenuItemCharKey>(this);
    if (!in || keys.begin() == keys.end()) return;
    const V3 anchor = (*keys.begin())->cursorAnchor(0);
    setMenuNavigationMode(NAVIGATION_KEYS);
    in->setMousePosition(anchor.x, anchor.y, anchor.z);
    updateMousePosition();
}

void ContextEnterName::onInputModeChange(int mode) {
    ContextMenu::onInputModeChange(mode);
    // Not here: the input layer is walking every live object, and the
    // rebuild deletes and makes some.
    bRebuildPending = 1;
}

bool ContextEnterName::canShow(char32_t code) const {
    return code == U' ' || (nameDisplay && nameDisplay->font && nameDisplay->font->canDraw(code, kDisplayFlags));
}

void ContextEnterName::edit(char16_t c) {
    if (c == 0) return;
    if (c == u'\b') {
        pendingHighSurrogate = 0;
        if (name.empty()) return;
        gui::playSoundAtFrequency(u"typewriter", 0.5f);
        const size_t n = name.size();
        name.resize(n >= 2 && isLowSurrogate(name[n - 1]) && isHighSurrogate(name[n - 2]) ? n - 2 : n - 1);
        return;
    }
    // A character beyond the first plane comes as two units, one a frame:
    // it is taken whole or not at all.
    const char16_t high = pendingHighSurrogate;
    pendingHighSurrogate = 0;
    if (isHighSurrogate(c)) {
        pendingHighSurrogate = c;
        return;
    }
    if (isLowSurrogate(c)) {
        if (!high || name.size() + 2 > kMaxNameLength) return;
        if (!canShow(0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (c - 0xDC00))) return;
        gui::playSound(u"typewriter");
        name += high;
        name += c;
        return;
    }
    if (c < 32 || (c >= 0x7F && c < 0xA0) || name.size() >= kMaxNameLength || !canShow(c)) return;
    gui::playSound(u"typewriter");
    name += c;
}

void ContextEnterName::tickContents(double t, double dt) {
    if (bRebuildPending) {
        bRebuildPending = 0;
        buildItems();
    }
    keyTyped = 0;
    ContextMenu::tickContents(t, dt);

    ZubInput* in = ZubInput::active();
    if (in && bPadKeys && in->keys[28] >= 128 && in->prevKeys[28] < 128) {
        // Return confirms the name; it must not also tap the key under the cursor.
        bConfirmLatched = 0;
    }
    if (in && !bPadKeys && padWentDown(*in)) {
        bPadKeys = 1;
        buildItems();
        placeCursorOnKeys();
    }

    char16_t c = in ? in->typedChar : 0;
    if (keyTyped) c = keyTyped;
    edit(c);

    // The name and a blinking cursor, centred together.
    nameDisplay->text = name;
    nameDisplay->flags = kDisplayFlags;
    nameDisplay->scale = V3(1.0f, 1.0f, 1.0f);
    nameDisplay->fitToWidth(600);
    const float w = nameDisplay->font->measureText(name + u"_", nameDisplay->flags).width;
    nameDisplay->position.x = -(nameDisplay->scale.x * w) / 2.0f;
    nameDisplay->onTransformChanged();
    if ((static_cast<int64_t>(time * 8.0) & 1) == 0) nameDisplay->text += u"_";

    WString trimmed = name;
    trimString(trimmed);
    okButton->bDisabled = trimmed.empty() ? 1 : 0;
    if (okButton->bDisabled || !(okButton->bClicked || c == u'\r')) return;
    okButton->bClicked = 0;
    gui::environment().profiles->addProfile(trimmed);
    if (GameConfiguration* config = gui::environment().configuration) config->showHints = 1;
    done = 1;
}

void ContextEnterName::renderContents() {
    // Over the screen it was opened from, without the menu's anchor marks.
    if (auto* below = zub_cast<Context>(prevSibling)) {
        below->renderContext();
        camera->apply();
    }
    ZubBase::render();
}
