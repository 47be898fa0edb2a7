#include "EditorHarness.h"

#include <gtest/gtest.h>

#include "gfx/ContextBlender.h"

#include "gfx/RenderCounters.h"
#include "object/Property.h"
#include "util/KeyCodes.h"
#include "world/EditorObject.h"

namespace editortest {

EditorHarness::EditorHarness() = default;

EditorHarness::~EditorHarness() { manager.reset(); }

GameController& EditorHarness::edit(const std::vector<uint8_t>& level) {
    services.bEditLevels = true;
    GameController& gc = play(level);
    step();
    return gc;
}

void EditorHarness::step(int n) {
    for (int i = 0; i < n; ++i) {
        platform::InputSnapshot s;
        for (int code : keys)
            if (code > 0 && code < platform::KEY_COUNT) s.keys[code] = 0x80;
        s.mouseX = mouse.x + 512.0f;
        s.mouseY = 384.0f - mouse.y;
        s.mouseMoved = mouseMoved;
        mouseMoved = false;
        for (int b = 0; b < 3; ++b) {
            s.mouseButtons[b] = buttons[b];
            s.mousePressed[b] = pressed[b];
            s.mousePressX[b] = pressPoint[b].x + 512.0f;
            s.mousePressY[b] = 384.0f - pressPoint[b].y;
            s.mouseReleased[b] = released[b];
            s.mouseReleaseX[b] = releasePoint[b].x + 512.0f;
            s.mouseReleaseY[b] = 384.0f - releasePoint[b].y;
            pressed[b] = released[b] = false;
        }
        s.wheel = wheelNotches;
        wheelNotches = 0;
        s.typed = typed;
        typed.clear();
        input.update(s);
        ++renderCounters.frameNumber;
        Context* top = dialogs->getTop();
        if (top) dialogs->tick(time, DT);
        else manager->tick(time, DT);
        time += DT;
        focus.update(dialogs->getTop() ? static_cast<ZubBase*>(dialogs) : manager.get(), input);
    }
}

void EditorHarness::pointAt(const V3& screen) {
    mouse = screen;
    mouseMoved = true;
    step();
}

void EditorHarness::clickAt(const V3& screen) {
    pointAt(screen);
    buttons[0] = true;
    step();
    buttons[0] = false;
    step();
}

void EditorHarness::dragTo(const V3& screen, int steps, int button) {
    const V3 from = mouse;
    buttons[button] = true;
    step();
    for (int i = 1; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        mouse = from + (screen - from) * t;
        mouseMoved = true;
        step();
    }
    buttons[button] = false;
    step();
}

void EditorHarness::pressAt(const V3& screen, int button) {
    mouse = screen;
    mouseMoved = true;
    buttons[button] = true;
    step();
}

void EditorHarness::pressAndMove(const V3& press, const V3& to, int button) {
    pressed[button] = true;
    pressPoint[button] = press;
    pressAt(to, button);
}

void EditorHarness::moveTo(const V3& screen, int steps) {
    const V3 from = mouse;
    for (int i = 1; i <= steps; ++i) {
        const float t = static_cast<float>(i) / static_cast<float>(steps);
        mouse = from + (screen - from) * t;
        mouseMoved = true;
        step();
    }
}

void EditorHarness::releaseButton(int button) {
    buttons[button] = false;
    step();
}

void EditorHarness::moveAndRelease(const V3& to, int button) {
    released[button] = true;
    releasePoint[button] = to;
    buttons[button] = false;
    mouse = to;
    mouseMoved = true;
    step();
}

void EditorHarness::releaseAndPressAt(const V3& at, int button) {
    released[button] = true;
    releasePoint[button] = mouse;
    pressed[button] = true;
    pressPoint[button] = at;
    pressAt(at, button);
}

void EditorHarness::wheel(int notches) {
    wheelNotches = notches;
    step();
}

void EditorHarness::type(std::u16string_view text) {
    typed = text;
    step(static_cast<int>(text.size()) + 1);
}

void EditorHarness::key(int code) {
    keys.insert(code);
    step();
    keys.erase(code);
    step();
}

void EditorHarness::chord(int code) {
    keys.insert(input_codes::KEY_LCONTROL);
    step();
    key(code);
    keys.erase(input_codes::KEY_LCONTROL);
    step();
}

V3 EditorHarness::onScreen(const V3& world) {
    const V3 s = controller().contextGame->camera->worldToScreen(world);
    return V3(s.x - 512.0f, s.y - 384.0f, 0.0f);
}

V3 EditorHarness::centreOf(const Renderable* r) {
    V3 p;
    r->localToWorld(p, V3());
    return p;
}

EditorPropertyWidget* EditorHarness::topRow() {
    for (ZubBase* c : childrenOf(panel().widgets))
        if (auto* w = dynamic_cast<EditorPropertyWidget*>(c); w && !w->bToBeDestroyed) return w;
    return nullptr;
}

EditorPropertyWidget* EditorHarness::row(std::u16string_view path) {
    EditorPropertyWidget* at = topRow();
    while (at && !path.empty()) {
        const size_t dot = path.find(u'.');
        const std::u16string_view name = path.substr(0, dot);
        EditorPropertyWidget* next = nullptr;
        for (ZubBase* c : childrenOf(at))
            if (auto* w = dynamic_cast<EditorPropertyWidget*>(c);
                w && !w->bToBeDestroyed && w->property && w->property->getName() == name) {
                next = w;
                break;
            }
        at = next;
        path = dot == std::u16string_view::npos ? std::u16string_view() : path.substr(dot + 1);
    }
    return at;
}

void EditorHarness::reveal(std::u16string_view path) {
    EditorPropertyWidget* r = row(path);
    EditorPropertyWidget* handle = row(u"objectUID");
    if (!r || !handle) return;
    const float y = centreOf(r).y;
    if (y > -350.0f && y < 350.0f) return;
    pointAt(centreOf(handle));
    dragTo(mouse - V3(0.0f, y, 0.0f));
}

void EditorHarness::clickRow(std::u16string_view path) {
    reveal(path);
    EditorPropertyWidget* r = row(path);
    if (!r) {
        ADD_FAILURE() << "no row " << wideToNarrow(WString(path));
        return;
    }
    clickAt(centreOf(r));
}

void EditorHarness::editRow(std::u16string_view path, std::u16string_view text) {
    clickRow(path);
    WString withReturn(text);
    withReturn += u'\r';
    type(withReturn);
}

WString EditorHarness::valueOf(std::u16string_view path) {
    EditorPropertyWidget* r = row(path);
    return r && r->property ? r->property->toString() : WString(u"<no row>");
}

EditorPropertyWidget* EditorHarness::classRow(const RuntimeClass* cls) {
    EditorPropertyWidget* list = topRow();
    if (!list) return nullptr;
    for (ZubBase* c : childrenOf(list)) {
        auto* w = dynamic_cast<EditorPropertyWidget*>(c);
        auto* p = w ? zub_cast<PropertyClass>(w->property) : nullptr;
        if (p && p->cls == cls) return w;
    }
    return nullptr;
}

EditorObject* EditorHarness::place(const RuntimeClass* cls, const V3& screen) {
    key(input_codes::KEY_F1);
    EditorPropertyWidget* entry = classRow(cls);
    if (!entry) return nullptr;
    clickAt(centreOf(entry));
    EditorPropertyWidget* inside = nullptr;
    for (ZubBase* c : childrenOf(entry))
        if (auto* w = dynamic_cast<EditorPropertyWidget*>(c); w && w->property->getName() == u"StateBase") inside = w;
    if (!inside) return nullptr;
    clickAt(centreOf(inside));
    pointAt(screen);
    const int32_t before = server().objectMap.ascending().back();
    chord(input_codes::KEY_X);
    EditorObject* placed = nullptr;
    for (int32_t uid : server().objectMap.ascending())
        if (uid > before)
            if (ZubBase* o = server().findObjectOrNull(uid); o && o->getClass() == cls)
                placed = static_cast<EditorObject*>(o);
    return placed;
}

}  // namespace editortest
