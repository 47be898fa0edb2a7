#pragma once
// Scenery objects that bend or cut their skin from a reference quad (plants,
// skinned paths, terrain decorations) own that skin and make it again after
// every replication. Such a skin is no resource and has no name to travel
// by, so their "pSkin" property keeps its place in the body but is bound to
// a slot of their own that holds no skin.
class PropertyContainer;
class Quad;
class Skin;

namespace scenery {

// Binds the container's "pSkin" property to `slot` (a field of the object
// that stays null) and hides it from the editor.
void detachSkinProperty(PropertyContainer* container, Skin** slot);

// A reference quad as the skin field that the editor's skin chooser edits
// (with the Quad class, so only a quad is put there).
inline Skin** asSkinField(Quad** field) { return reinterpret_cast<Skin**>(field); }

// A fraction of a pixel rectangle's extent, truncated towards zero, also for
// values a level file makes up (not finite, far out of range).
int truncatePixels(double value);

}  // namespace scenery
