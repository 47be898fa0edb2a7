#include "gui/ContextMenu.h"

#include <algorithm>
#include <cmath>

#include "gfx/ImmediateDraw.h"
#include "gfx/ZubGraphics.h"
#include "gui/GuiClassIds.h"
#include "gui/GuiEnvironment.h"
#include "gui/MenuButton.h"
#include "gui/MenuItemLink.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "sys/Logger.h"

ZUB_IMPLEMENT_CLASS(MenuEntry, ZubBase, gui_ids::MenuEntry)
ZUB_IMPLEMENT_CLASS(ContextMenu, Context, gui_ids::ContextMenu)

int32_t ContextMenu::navigationMode = ContextMenu::NAVIGATION_POINTER;
int32_t ContextMenu::navigationModeFrame = -1;
float ContextMenu::readingSign = 1.0f;
int32_t ContextMenu::defaultCaptionLocation = 4;

namespace {

int32_t referenceWidth() {
    ZubGraphics* g = ZubGraphics::active();
    return g ? g->referenceWidth : REFERENCE_WIDTH;
}
int32_t referenceHeight() {
    ZubGraphics* g = ZubGraphics::active();
    return g ? g->referenceHeight : REFERENCE_HEIGHT;
}

// A table entry went down (bit 7 set now, clear before) or up this frame.
bool wentDown(const ZubInput& in, int code) { return in.keys[code] >= 128 && in.prevKeys[code] < 128; }
bool wentUp(const ZubInput& in, int code) { return in.keys[code] < 128 && in.prevKeys[code] >= 128; }

bool anyWentDown(const ZubInput& in, std::initializer_list<int> codes) {
    return std::any_of(codes.begin(), codes.end(), [&in](int c) { return wentDown(in, c); });
}

}  // namespace

MenuEntry::MenuEntry() : item(this) {}

MenuEntry::MenuEntry(Renderable* it, CursorTarget* a) : item(this), anchors(a) { item.set(it); }

MenuEntry::~MenuEntry() = default;

ContextMenu::ContextMenu() {
    layoutX = referenceWidth() / 2 + itemSpacing / 2 - marginX;
    layoutY = referenceHeight() / 2 - marginY;
    cursorMemory = worldToScreen(V3(0.0f, static_cast<float>(referenceHeight() / 2), 0.0f));
    cursorMemory.z = 0.0f;
    if (const Language* l = gui::language()) {
        if (l->bRightToLeft == 0) {
            readingSign = 1.0f;
            defaultCaptionLocation = 4;
        } else if (l->bRightToLeft == 1) {
            readingSign = -1.0f;
            defaultCaptionLocation = 6;
        }
    } else {
        readingSign = 1.0f;
        defaultCaptionLocation = 4;
    }
}

ContextMenu::~ContextMenu() { entries.destroyChildren(); }

void ContextMenu::addItem(Renderable* item) {
    addChild(item);
    (navigationOwner ? navigationOwner : this)->createItemHandler(item);
}

void ContextMenu::createItemHandler(Renderable* item) {
    auto* anchors = dynamic_cast<CursorTarget*>(item);
    if (!item || !anchors) return;
    entries.addChild(new MenuEntry(item, anchors));
}

MenuButton* ContextMenu::addButton(std::u16string_view caption, std::u16string_view hint, const V3& p) {
    auto* b = new MenuButton(p.x, p.y, p.z, caption, hint);
    addItem(b);
    return b;
}

MenuItemLink* ContextMenu::addLinkButton(std::u16string_view caption, std::u16string_view hint, const V3& p) {
    auto* b = new MenuItemLink(p.x, p.y, p.z, caption, hint);
    addItem(b);
    return b;
}

void ContextMenu::setMenuNavigationMode(int32_t mode) {
    if (mode == navigationMode) return;
    Logger::get().log(u"%s(): %s", "ContextMenu::setMenuNavigationMode",
                      formatString(u"Setting menu navigation mode to %d", mode));
    navigationMode = mode;
    navigationModeFrame = gui::frameCounter();
}

V3 ContextMenu::worldToScreen(const V3& world) const { return camera->worldToScreen(world); }

V3 ContextMenu::screenToWorld(const V3& screen) const { return camera->screenToWorld(screen.x, screen.y, screen.z); }

template <class F>
void ContextMenu::forEachAnchor(F&& f) {
    for (MenuEntry* e : childrenOf<MenuEntry>(&entries)) {
        CursorTarget* target = e->target();
        if (!target) {
            deleteObject(e);
            continue;
        }
        if (e->item->bHidden) continue;
        for (int i = 0;; ++i) {
            const V3 a = target->cursorAnchor(i);
            if (CursorTarget::isNoAnchor(a)) break;
            f(a);
        }
    }
}

V3 ContextMenu::findNavigationTarget(const V3& from, int direction) {
    const float w = static_cast<float>(referenceWidth()), h = static_cast<float>(referenceHeight());
    V3 best = from;
    float bestScore = 0.0f;
    bool found = false;
    forEachAnchor([&](const V3& a) {
        if (!(a.x >= 0.0f && a.x < w && a.y > 0.0f && a.y <= h)) return;
        const float score = scoreAnchor(from, a, direction);
        if (score <= 0.0f) return;
        if (!found || score > bestScore) {
            found = true;
            bestScore = score;
            best = a;
        }
    });
    return best;
}

float ContextMenu::scoreAnchor(const V3& from, const V3& to, int direction) {
    const V3 d = to - from;
    const float distance = d.length();
    if (direction == NEAREST) return 256.0f / std::max(distance, 1.0f);
    V3 axis;
    switch (direction) {
        case UP:
            axis = V3(0.0f, 1.0f, 0.0f);
            break;
        case DOWN:
            axis = V3(0.0f, -1.0f, 0.0f);
            break;
        case LEFT:
            axis = V3(-1.0f, 0.0f, 0.0f);
            break;
        case RIGHT:
            axis = V3(1.0f, 0.0f, 0.0f);
            break;
        default:
            return 0.0f;
    }
    if (distance < 4.0f) return -1.0f;
    return d.normalized().dot(axis) * 256.0f / distance;
}

void ContextMenu::tickContents(double time, double dt) {
    // The items first: they take this frame's hover before the cursor moves.
    ZubBase::tick(time, dt);
    ZubInput* in = ZubInput::active();
    if (!in) return;

    if (bKeyNavigation && navigationModeFrame < gui::frameCounter() - 1) {
        const bool up = anyWentDown(*in, {200, 256, 304});
        const bool down = anyWentDown(*in, {208, 257, 305});
        const bool left = anyWentDown(*in, {203, 258, 306});
        const bool right = anyWentDown(*in, {205, 259, 307});
        const bool confirmDown = anyWentDown(*in, {28, 272, 320});
        const bool confirmUp = wentUp(*in, 28) || wentUp(*in, 272) || wentUp(*in, 320);
        const bool back = wentDown(*in, 273) || in->wasKeyPressed(321);

        if (bEscapeCloses && !bConfirmEscape && back) done = 1;
        if (confirmDown) bConfirmLatched = 1;
        if (up || down || left || right || confirmDown || confirmUp) {
            setMenuNavigationMode(NAVIGATION_KEYS);
            const V3 mouse(in->mouseX, in->mouseY, in->mouseZ);
            V3 target = mouse;
            if (up) target = findNavigationTarget(mouse, UP);
            if (down) target = findNavigationTarget(mouse, DOWN);
            if (left) target = findNavigationTarget(mouse, LEFT);
            if (right) target = findNavigationTarget(mouse, RIGHT);
            in->setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
            in->setMousePosition(target.x, target.y, target.z);
            if (confirmUp && bConfirmLatched) in->addMousePointer();
        }
    }

    if (navigationMode == NAVIGATION_KEYS) {
        const V3 delta(in->mouseDeltaX, in->mouseDeltaY, in->mouseDeltaWheel);
        if (delta.lengthSquared() > 4.0f) setMenuNavigationMode(NAVIGATION_POINTER);
    }
}

void ContextMenu::renderContents() {
    ZubBase::render();
    if (gui::isDebugLocked()) return;
    const uint32_t colour =
        navigationMode == NAVIGATION_KEYS && (static_cast<int64_t>(time * 5.0) & 1) ? 0xFFFF00FFu : 0xFF000000u;
    forEachAnchor([&](const V3& a) {
        const V3 p = screenToWorld(a);
        drawRectOutline(p.x - 5.0f, p.y + 5.0f, p.x + 5.0f, p.y - 5.0f, colour, p.z);
    });
}

void ContextMenu::onActivate(bool) {
    bConfirmLatched = 0;
    ZubInput* in = ZubInput::active();
    if (!in) return;
    if (navigationMode == NAVIGATION_POINTER) {
        if (isTouchInput()) {
            V3 park = worldToScreen(V3(0.0f, static_cast<float>(referenceHeight() / 2), 0.0f));
            in->setMousePosition(park.x, park.y, 0.0f);
        }
        return;
    }
    in->setMousePosition(cursorMemory.x, cursorMemory.y, cursorMemory.z);
    updateMousePosition();
    const V3 target = findNavigationTarget(V3(in->mouseX, in->mouseY, in->mouseZ), NEAREST);
    in->setInputMode(ZubInput::MODE_MOUSE_KEYBOARD);
    in->setMousePosition(target.x, target.y, target.z);
}

void ContextMenu::onDeactivate(bool) { cursorMemory = worldToScreen(mousePosition); }

void ContextMenu::onInputModeChange(int mode) {
    if (mode == ZubInput::MODE_TOUCH) setMenuNavigationMode(NAVIGATION_POINTER);
}
