#pragma once
// One column of the control bindings: column 0 (CONTROLS0) edits the first
// code of each action, column 1 (CONTROLS2) the second. Six binding items,
// from the top: use/carry, left, right, jump, statistics, map. The down
// action has no item: it keeps its codes unless another action takes one.
#include <cstdint>

#include "gui/ContextPage.h"

class MenuItemKeyBinding;

class ContextControlBindings : public ContextPage {
    ZUB_DECLARE_CLASS(ContextControlBindings)
public:
    explicit ContextControlBindings(int32_t column);
    ~ContextControlBindings() override;

    // The item of an action of GameConfiguration::Control, null for down.
    MenuItemKeyBinding* itemOf(int action) const;

    int32_t column;
    MenuItemKeyBinding* items[7] = {};
};
