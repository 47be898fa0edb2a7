#include "objects/scenery/TerrainDeco.h"

#include "engine/FocusManager.h"
#include "gfx/Quad.h"
#include "input/ZubInput.h"
#include "object/Property.h"
#include "objects/ObjectClassIds.h"
#include "sys/ErrorManager.h"
#include "world/GameWorld.h"
#include "world/Terrain.h"
#include "world/WorldEditorPanel.h"

using namespace input_codes;

ZUB_IMPLEMENT_CLASS(TerrainDeco, A99Object, object_ids::TerrainDeco)
ZUB_IMPLEMENT_CLASS(RPCTerrainDecoConstruct, RPC, object_ids::RPCTerrainDecoConstruct)

void RPCTerrainDecoConstruct::addPropertiesTo(Property* c) {
    c->add(new PropertyPointer(u"", 0, &terrain, &Terrain::classRecord), "the terrain the band lies along");
    c->add(new PropertyPointer(u"", PROP_RESOURCE, &quad, &Quad::classRecord), "the band's texture");
    c->add(new PropertyInt(u"", 0, &segments), "how many terrain points it covers (skinSegments)");
    c->add(new PropertyInt(u"", 0, &flags), "the band's shape (skinFlags)");
}

WString RPCTerrainDecoConstruct::argumentFault() const {
    if (!quad) return u"a terrain band's construct call needs a reference quad (a skin)";
    if (segments < 1) return u"a terrain band's construct call needs one point or more";
    return {};
}

void RPCTerrainDecoConstruct::execute() {
    if (TerrainDeco* d = zub_cast<TerrainDeco>(target)) d->local_construct(terrain, quad, segments, flags);
}

TerrainDeco::TerrainDeco() {
    bOwnsSkin = 1;
    bHasInvXform = 1;
}

TerrainDeco::~TerrainDeco() = default;

TerrainSkin* TerrainDeco::band() const { return static_cast<TerrainSkin*>(pSkin); }

void TerrainDeco::construct(Terrain* terrain, Quad* refQuad, int segments, int flags) {
    RPCTerrainDecoConstruct rpc;
    rpc.target = this;
    rpc.terrain = terrain;
    rpc.quad = refQuad;
    rpc.segments = segments;
    rpc.flags = flags;
    rpc.call();
}

void TerrainDeco::local_construct(Terrain* terrain, Quad* refQuad, int segments, int flags) {
    EditorObject::local_construct();
    terrainRef.set(terrain);
    pTerrain = terrain;
    pSkinRefQuad = refQuad;
    ZUB_ASSERT(pSkinRefQuad != NULL);
    skinSegments = segments;
    ZUB_ASSERT(skinSegments > 0);
    skinFlags = flags;
}

void TerrainDeco::netPostReplicate() {
    A99Object::netPostReplicate();
    if (Skin* old = pSkin) {
        pSkin = nullptr;
        deleteObject(old);
    }
    pSkin = new TerrainSkin(this);
    onTransformChanged();
}

void TerrainDeco::netPostReplicateGlobal() {
    A99Object::netPostReplicateGlobal();
    onEdited();
}

void TerrainDeco::onEdited() {
    if (bToBeDestroyed) return;
    Terrain* t = terrain();
    pTerrain = t;
    TerrainSkin* skin = band();
    // Placed but not constructed (or its terrain gone): no band to lay.
    if (!t || !skin || skinSegments < 1) {
        onTransformChanged();
        return;
    }
    const int start = t->getSegmentIndex(position.x + t->position.x);
    skinStartingSegment = start - skinSegments / 2;
    skin->refresh();
    // The band's first pair onto the terrain point it starts at.
    V3 a, point, b;
    localToWorld(a, skin->anchor);
    t->getHeightPoint(&point, (skinFlags & BOTTOM_ROW) ? 1 : 0, skinStartingSegment);
    t->localToWorld(b, point);
    skin->origin += a - b;
    onTransformChanged();
}

void TerrainDeco::renderObject() {
    pTerrain = terrain();
    A99Object::renderObject();
}

bool TerrainDeco::onEvent(ZubEvent& ev) {
    if (ev.code == EVENT_REFERENCE_LOST && ev.reference == &terrainRef) {
        pTerrain = nullptr;
        bToBeDestroyed = 1;
    } else if (ev.code == EVENT_KEY && isEditorMode() && onEditorKey()) {
        return true;
    }
    return A99Object::onEvent(ev);
}

bool TerrainDeco::onEditorKey() {
    ZubInput* in = ZubInput::active();
    if (!in) return false;
    const int mods = in->modifierState;
    if (in->isKeyDown(KEY_T) && !in->wasKeyDown(KEY_T) && mods == 2 && terrain()) {
        if (WorldEditorPanel* panel = activeEditorPanel()) panel->setEditedObject(terrain());
        if (FocusManager* fm = FocusManager::active()) fm->setFocus(terrain());
        return true;
    }
    if (in->wasKeyPressedWithModifiers(KEY_Z, 0)) {
        skinFlags = (skinFlags & ~0x18) | ((skinFlags + 0x8) & 0x18);
    } else if (in->wasKeyPressedWithModifiers(KEY_X, 0)) {
        skinFlags = (skinFlags & ~0x3) | ((skinFlags - 1) & 0x3);
    } else if (in->wasKeyPressedWithModifiers(KEY_C, 0)) {
        skinFlags ^= UPRIGHT;
    } else if (in->wasKeyPressedWithModifiers(KEY_W, 0)) {
        skinNudgeAbs.y += 1.0f;
    } else if (in->wasKeyPressedWithModifiers(KEY_W, 1)) {
        skinNudge.y += 1.0f;
    } else if (in->wasKeyPressedWithModifiers(KEY_S, 0)) {
        skinNudgeAbs.y -= 1.0f;
    } else if (in->wasKeyPressedWithModifiers(KEY_S, 1)) {
        skinNudge.y -= 1.0f;
    } else if (in->getFirstNewlyPressedKey() == KEY_Q) {
        if (skinSegments < Terrain::kMaxPoints) ++skinSegments;
    } else if (in->getFirstNewlyPressedKey() == KEY_A) {
        if (skinSegments > MIN_EDITED_SEGMENTS) --skinSegments;
    } else {
        return false;
    }
    onEdited();
    return true;
}

Skin** TerrainDeco::getSkinProperty(const RuntimeClass** skinType) {
    if (skinType) *skinType = &Quad::classRecord;
    return scenery::asSkinField(&pSkinRefQuad);
}

void TerrainDeco::addPropertiesTo(PropertyContainer* c) {
    A99Object::addPropertiesTo(c);
    scenery::detachSkinProperty(c, &bodySkin);
    c->add(new PropertyReference(u"pTerrain", 0, &terrainRef, &Terrain::classRecord),
           "the terrain the band lies along");
    c->add(new PropertyPointer(u"pSkinRefQuad", PROP_RESOURCE, &pSkinRefQuad, &Quad::classRecord),
           "the band's texture (sheet:frame)");
    const struct {
        const char16_t* name;
        V3* field;
        const char* meaning;
    } vectors[] = {
        {u"skinNudge", &skinNudge, "y: the band moved along the surface's normal, as much as its profile"},
        {u"skinNudgeAbs", &skinNudgeAbs, "y: the band moved along the surface's normal"},
        {u"skinTexScale", &skinTexScale, "x: the texture's repeat length, y: the band's thickness, as factors"}};
    for (const auto& v : vectors) {
        PropertyContainer* g = c->add(new PropertyContainer(v.name, 0), v.meaning);
        g->add(new PropertyFloat(u"x", 0, &v.field->x));
        g->add(new PropertyFloat(u"y", 0, &v.field->y));
    }
    c->add(new PropertyInt(u"skinFlags", 0, &skinFlags),
           "the band's shape, a sum: 1 flipped, 2 bottom row, 4 upright, 8/16 profile, "
           "32/64 fades, 128 repeating, 256 both rows, 512 texture from its start");
    c->add(new PropertyInt(u"skinStartingSegment", 0, &skinStartingSegment),
           "the band's first terrain point, worked out from its x");
    c->add(new PropertyInt(u"skinSegments", 0, &skinSegments), "how many terrain points the band covers");
    c->add(new PropertyRPC<RPCTerrainDecoConstruct>(u"construct", 0, this));
}
