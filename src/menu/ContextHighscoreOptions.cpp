#include "menu/ContextHighscoreOptions.h"

#include "engine/ContextManager.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuBackButton.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemLink.h"
#include "lang/StringIds.h"
#include "menu/ContextHighscoreUpload.h"
#include "menu/ContextNetworkWizard1.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"
#include "sys/HttpRequest.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextHighscoreOptions, ContextPage, u"ContextHighscoreOptions")

ContextHighscoreOptions::ContextHighscoreOptions() {
    ZUB_ASSERT(gui::environment().configuration != nullptr);
    setTitle(gui::text(SID_HIGHSCOREOPTIONS));
    auto* ok = new MenuBackButton(0.0f, static_cast<float>(-layoutY), 0.0f, gui::text(SID_OK), u"");
    ok->setWidth(160);
    addItem(ok);
    backButton = ok;

    const float spacing = static_cast<float>(itemSpacing);
    worldWideLink = addLinkButton(gui::text(SID_WORLDWIDESCORES), gui::text(SID_WORLDWIDESCORESHINT),
                                  V3(0.0f, 2.0f * spacing, 0.0f));
    worldWideLink->url = HttpRequest::pageAddress(u"/tumbro/highscoretable.php");
    uploadButton = addButton(gui::text(SID_UPLOADSCORES), gui::text(SID_UPLOADSCORESHINT), V3(0.0f, spacing, 0.0f));
    resetButton = addButton(gui::text(SID_RESETSCORES), gui::text(SID_RESETSCORESHINT), V3(0.0f, -spacing, 0.0f));
    resetButton->question = gui::text(SID_CONFIRM);
}

ContextHighscoreOptions::~ContextHighscoreOptions() = default;

void ContextHighscoreOptions::tickContents(double t, double dt) {
    ContextMenu::tickContents(t, dt);
    GameConfiguration& config = *gui::environment().configuration;

    if (resetButton->takeClick()) {
        // Saved with the user data later, not here.
        config.resetHighScores();
    }
    if (uploadButton->takeClick()) {
        if (ContextManager* stack = gui::screenStack(this)) {
            if (config.networkConfigured) stack->pushContext(new ContextHighscoreUpload);
            else stack->pushContext(new ContextNetworkWizard1);
        }
    }
}
