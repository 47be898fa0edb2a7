#pragma once
// Drawing part of a level's game context, for the tests that look at one
// layer of a level's picture on its own.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "flow/GameController.h"
#include "gfx/ContextBlender.h"
#include "world/EditorObject.h"
#include "world/EditorProxy.h"

namespace levelbuildtest {

// Draws the game's context with only `shown` of its objects: everything
// else in it is hidden for the moment but the lists that hold them and the
// proxies they draw through.
inline void drawOnly(GameController& gc, const std::vector<ZubBase*>& shown) {
    std::vector<std::pair<ZubBase*, uint8_t>> hidden;
    auto drawsShown = [&](ZubBase* o) {
        if (auto* proxy = zub_cast<EditorProxy>(o)) o = proxy->getOwner();
        return std::find(shown.begin(), shown.end(), o) != shown.end();
    };
    std::function<bool(ZubBase*)> holdsShown = [&](ZubBase* o) {
        for (ZubBase* c : childrenOf(o))
            if (drawsShown(c) || holdsShown(c)) return true;
        return false;
    };
    std::function<void(ZubBase*)> hide = [&](ZubBase* o) {
        for (ZubBase* c : childrenOf(o)) {
            if (drawsShown(c)) continue;
            if (holdsShown(c)) {
                hide(c);
            } else {
                hidden.emplace_back(c, c->bHidden);
                c->bHidden = 1;
            }
        }
    };
    hide(gc.contextGame);
    Context* background = gc.contextGame->backgroundContext;
    Context* foreground = gc.contextGame->foregroundContext;
    gc.contextGame->backgroundContext = gc.contextGame->foregroundContext = nullptr;
    gc.contextGame->renderContext();
    gc.contextGame->backgroundContext = background;
    gc.contextGame->foregroundContext = foreground;
    for (auto& [r, was] : hidden) r->bHidden = was;
}

}  // namespace levelbuildtest
