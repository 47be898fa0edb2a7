#include "menu/ContextControlBindings.h"

#include "gui/GuiEnvironment.h"
#include "lang/StringIds.h"
#include "menu/MenuItemKeyBinding.h"
#include "records/GameConfiguration.h"
#include "sys/ErrorManager.h"

ZUB_IMPLEMENT_NAMED_CLASS_ABSTRACT(ContextControlBindings, ContextPage, u"ContextControlBindings")

namespace {

struct Row {
    int32_t caption;
    int action;
};

// Top to bottom, one item spacing apart from 2s down to -3s.
constexpr Row kRows[] = {
    {SID_CONTROLSUP, GameConfiguration::CONTROL_USE},        {SID_CONTROLSLEFT, GameConfiguration::CONTROL_LEFT},
    {SID_CONTROLSRIGHT, GameConfiguration::CONTROL_RIGHT},   {SID_CONTROLSFIRE, GameConfiguration::CONTROL_JUMP},
    {SID_CONTROLSALTFIRE, GameConfiguration::CONTROL_STATS}, {SID_CONTROLSMAP, GameConfiguration::CONTROL_MAP},
};

}  // namespace

ContextControlBindings::ContextControlBindings(int32_t c) : column(c == 0 ? 0 : 1) {
    GameConfiguration* config = gui::environment().configuration;
    ZUB_ASSERT(config != nullptr);
    setTitle(gui::text(column == 0 ? SID_CONTROLS0 : SID_CONTROLS2));
    const int32_t s = itemSpacing;
    int32_t y = 2 * s;
    for (const Row& row : kRows) {
        ControlBinding& binding = config->controls[row.action];
        auto* item =
            new MenuItemKeyBinding(0.0f, static_cast<float>(y), 0.0f, column == 0 ? &binding.key : &binding.alternative,
                                   gui::text(row.caption), u"");
        item->setWidth(192);
        addItem(item);
        items[row.action] = item;
        y -= s;
    }
    addBackButton();
}

ContextControlBindings::~ContextControlBindings() = default;

MenuItemKeyBinding* ContextControlBindings::itemOf(int action) const {
    return action >= 0 && action < GameConfiguration::kNumControls ? items[action] : nullptr;
}
