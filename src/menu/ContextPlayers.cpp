#include "menu/ContextPlayers.h"

#include "engine/ContextManager.h"
#include "gui/GameSquare.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "input/ZubInput.h"
#include "lang/StringIds.h"
#include "menu/ContextEnterName.h"
#include "menu/PlayerRowAnchors.h"
#include "records/ProfileManager.h"
#include "sys/ErrorManager.h"
#include "text/FadingText.h"
#include "text/FontQuad.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextPlayers, ContextMenu, u"ContextPlayers")

ContextPlayers::ContextPlayers() {
    ZUB_ASSERT(gui::environment().profiles != nullptr);
    bDeleteWhenDone = 1;
    gui::playSound(u"pop");
    addChild(new GameSquare(0.0f, 0.0f, 0.0f, 640.0f, 384.0f, true, gui::text(SID_PLAYERS)));

    // Add stays left and Done right of the centre in both reading orders
    // (items mirror x once more for right-to-left).
    addButton = new MenuButton(-170.0f * readingSign, -128.0f, 0.0f, gui::text(SID_ADDPLAYER), u"");
    addButton->setWidth(160);
    addItem(addButton);
    deleteButton = new MenuButton(0.0f, -128.0f, 0.0f, gui::text(SID_DELETEPLAYER), u"");
    deleteButton->setWidth(160);
    deleteButton->question = gui::text(SID_CONFIRM);
    addItem(deleteButton);
    auto* done = new MenuBackButton(170.0f * readingSign, -128.0f, 0.0f, gui::text(SID_DONE), u"");
    done->setWidth(160);
    addItem(done);
    addItem(new PlayerRowAnchors);
}

ContextPlayers::~ContextPlayers() = default;

int32_t ContextPlayers::rowAt(const V3& p, int32_t rows) {
    if (p.x < -150.0f || p.x >= 150.0f) return -1;
    for (int32_t i = 0; i < rows; ++i) {
        const float bottom = 120.0f - 30.0f * static_cast<float>(i);
        if (p.y > bottom && p.y <= bottom + 30.0f) return i;
    }
    return -1;
}

void ContextPlayers::tickContents(double t, double dt) {
    ProfileManager& profiles = *gui::environment().profiles;
    const int32_t n = profiles.countProfiles();
    addButton->bDisabled = n >= kMaxPlayers;
    deleteButton->bDisabled = n <= 1;

    ContextMenu::tickContents(t, dt);

    if (addButton->takeClick()) {
        if (ContextManager* stack = gui::screenStack(this)) stack->pushContext(new ContextEnterName(true));
    } else if (deleteButton->takeClick()) {
        profiles.deleteProfile(profiles.current);
    }

    const ZubInput* in = ZubInput::active();
    if (in && in->wasAnyPointerPressed()) {
        const int32_t row = rowAt(mousePosition, profiles.countProfiles());
        if (row >= 0) {
            profiles.current = row;
            profiles.onCurrentProfileChanged();
        }
    }
}

void ContextPlayers::renderContents() {
    // The screen this page was opened from stays visible behind it.
    if (auto* below = zub_cast<Context>(prevSibling)) {
        below->renderContext();
        camera->apply();
    }
    ContextMenu::renderContents();

    const ProfileManager& profiles = *gui::environment().profiles;
    FontQuad* font = gui::font(u"fontSmallOutline");
    const bool leftToRight = !gui::rightToLeft();
    for (int32_t i = 0; i < profiles.countProfiles(); ++i) {
        const float y = 135.0f - 30.0f * static_cast<float>(i);
        const bool current = i == profiles.current;
        FadingText row(leftToRight ? -150.0f : 150.0f, y, 0.0f, profiles.getProfileName(i), font,
                       current ? 0xFFFFFFFFu : 0x80000000u);
        row.bShadow = 0;
        row.flags = leftToRight ? 0x212 : 0x218;
        row.fitToWidth(300);
        row.render();
        if (current) font->drawText(leftToRight ? -160.0f : 165.0f, y, 0.0f, 0xFFFFFFFFu, 0x14, u"\x01");
    }
}
