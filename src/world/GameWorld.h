#pragma once
// The level as the world's objects see it: the game controller's lists, its
// editor panel, the hero and the game camera. The game controller implements
// this interface and makes itself current while its level lives; placed
// objects, hulls and the collision solver reach the level only through it.
#include <cstdint>

#include "object/ZubBase.h"
#include "util/Math.h"
#include "util/WString.h"
#include "world/AreaIndex.h"

class A99Object;
class Camera;
class FontQuad;
class HullList;
class WorldEditorPanel;

class GameWorld {
public:
    GameWorld() = default;
    virtual ~GameWorld();
    GameWorld(const GameWorld&) = delete;
    GameWorld& operator=(const GameWorld&) = delete;

    // The world of the level in play, or null.
    static GameWorld* current();
    // Makes w current (null: none); returns the one that was current.
    static GameWorld* setCurrent(GameWorld* w);
    // Changes whenever a world is made current and when the current world
    // goes: what was derived from the current world stays true while it stays.
    static uint64_t currentSerial();

    // --- lists: objects whose children are walked in order --------------------
    // Every level object.
    virtual ZubBase* getObjectList() = 0;
    // Every collision hull, indexed for the solver.
    virtual HullList* getHullList() = 0;
    // The editor proxies, in drawing order.
    virtual ZubBase* getProxyList() = 0;
    virtual ZubBase* getSpeechBubbleList() { return nullptr; }
    virtual ZubBase* getDangerAreaList() { return nullptr; }

    // The level editor's panel, or null outside the editor.
    virtual WorldEditorPanel* getEditor() { return nullptr; }
    // The hero, or null when the level has none (yet).
    virtual A99Object* findHero() { return nullptr; }
    // The camera of the game's context (the listener of level sounds).
    virtual Camera* getGameCamera() { return nullptr; }

    // The topmost level object under the pointer, after skipping `skip`
    // hits. The default searches the proxies (the drawing order).
    virtual ZubBase* findObjectUnderMouse(int skip);

    // The game's label font (editor labels), or null.
    virtual FontQuad* getLabelFont() { return nullptr; }
    // Writes an editor label with the label font at a point of the world;
    // text flags as the font takes them. The label keeps its size on the
    // screen whatever the game camera's zoom: it is as large as the font's
    // design units on the reference screen, which is its size in world units
    // at the editor's first zoom (the eye REFERENCE_WIDTH / 2 before the
    // depth 0). `screenOffset` moves it from the point by so much on the
    // screen, in the same units. Without a font, or with the point behind
    // the eye, nothing is drawn.
    virtual void drawLabel(const WString& text, const V3& at, uint32_t color, int flags, const V3& screenOffset = V3());

    // Where the danger area list's areas lie, for the area searches.
    AreaIndex areaIndex;
};

// The level editor is on: a network role is active, the current world has
// its editor panel and the role's editing flag is set.
bool isEditorMode();
// The current world's editor panel while the editor is on, else null.
WorldEditorPanel* activeEditorPanel();
