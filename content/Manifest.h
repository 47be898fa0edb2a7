#pragma once
// The game's resource manifest: every texture, image, sound and music file
// that the loader and the level objects find by name, with the file it comes
// from, how it is loaded, the skin frames the code indexes (sizes and anchors
// in design units, one pixel each), and for sounds their length and
// character. It is the one list of the game's resources: the resource loader
// makes its steps from it (app/Loader.cpp), the content generator makes every
// file from it, and the content tests check the generated files against it.
//
// Archives: files are packed into the data archive that the loader has
// selected when it opens them (Tumbrodemo.dat unless stated), so every entry
// names its archive.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace content {

enum class Kind {
    Texture,     // Texture with a skin description (TGA or JPEG)
    Image,       // MemoryImageFile (no skins)
    Sound,       // Sound sample
    Music,       // SoundStream
    GlyphSheet,  // Texture made by the glyph-page generator (font symbols)
};

enum class Wad {
    Main,      // Tumbrodemo.dat
    Language,  // Tumbrodemo.dat.language.v2
    Levels,    // Tumbrodemo.dat.levels
    Cp1252,    // Tumbrodemo.dat.1252
    Cp1250,    // Tumbrodemo.dat.1250
};
// The archive's file name ("Tumbrodemo.dat" ...).
std::string wadFileName(Wad wad);
inline constexpr Wad kAllWads[] = {Wad::Main, Wad::Language, Wad::Levels, Wad::Cp1252, Wad::Cp1250};

// How a texture's frames are drawn.
enum class Art {
    Plain,        // a rounded box in the entry's colour
    Transparent,  // nearly invisible (alpha 1)
    Blob,         // an ellipse in the entry's colour
    Soft,         // a soft radial glow (particles)
    Ring,
    Streak,  // a horizontal streak fading to the left (spark)
    Drop,    // a falling drop
    Flake,   // a six-armed snow flake
    Leaf,
    Panel,    // a nine-slice frame: border and fill
    Bubble,   // a speech bubble
    Bar,      // a horizontal bar
    Icon,     // a symbol: editor, valley, map, touch, statistics and compass icons
    Pointer,  // a mouse arrow
    Logo,     // the game's or the maker's logo, with its name as the title
    Flags,    // language flags
    Apple,
    Sweets,
    Basket,
    Pig,  // the pig's body parts
    Piglets,
    Hat,
    Umbrella,
    Animal,  // a body in the entry's colour with eyes
    Frog,
    House,
    Tree,
    Plant,  // flowers, grass, shrubs
    Rock,
    Tile,     // a seamless band (ground, terrain, water)
    Hills,    // seamless hills silhouette
    Sky,      // a vertical gradient with clouds
    Scene,    // full-screen picture (intro, valley)
    Minimap,  // a level map 256 x 192
    Dashes,
    Ruler,
    Device,  // crates, switches, springboards ... : a box with stripes
    Fence,
    Ladder,
    Rainbow,
};

struct Frame {
    std::string label;  // what the frame shows
    int w = 0, h = 0;
    int anchor = 5;      // keypad anchor of the origin (5 = centre)
    int ox = 0, oy = 0;  // origin adjustment (x right, y up)
    // Rows of the sheet above and below the frame that repeat its top and
    // bottom row: filtering at the edges of a band laid once along the
    // terrain then reads the frame's own edge, not the opposite one across
    // the texture's wrap.
    int edgeRows = 0;
};
using Frames = std::vector<Frame>;

// How a sound is synthesised.
enum class Voice {
    Silence,
    Tone,      // a decaying tone with overtones (f1; f2 = overtone ratio)
    Sweep,     // a glide from f1 to f2
    Noise,     // filtered noise (f1 = low-pass cut-off, f2 = high-pass cut-off)
    Thud,      // a low thump: a fast downward glide plus noise
    Chord,     // notes together (f1 root, f2 = 1 major, 0 minor)
    Arpeggio,  // notes one after another (f1 root, f2 = 1 rising, -1 falling)
    Buzz,      // a sawtooth with vibrato (f1; f2 = vibrato rate), loops
    Chirps,    // bird chirps, loops
    Rumble,    // low filtered noise with a slow swell (f1 = cut-off), loops
    Click,
    Gear,    // a train of clicks (f1 = clicks per second)
    Squeak,  // short high glides (f1), loops
    Song,    // music: a chord loop with bass and melody (f1 = tempo, f2 = key root)
};

struct SoundShape {
    Voice voice = Voice::Silence;
    double seconds = 0.0;
    double f1 = 0.0, f2 = 0.0;
};

struct Entry {
    Kind kind = Kind::Texture;
    std::string name;  // the resource name
    std::string file;  // relative to the game folder
    Wad wad = Wad::Main;
    int step = 0;  // the loader's step; kExtraStep, kBeforeLoader
    std::string usedBy;

    // Textures and images.
    int flags = 0;
    Art art = Art::Plain;
    uint32_t colour = 0xFF808080;  // ARGB
    Frames frames;

    // Sounds and music.
    int loop = 0;
    int playbacks = 2;
    double interval = 0.0;
    float minPitch = 0.0f, maxPitch = 0.0f;
    SoundShape shape;

    // Nonzero: after loading, the loader sets the origin of the texture's
    // first skin to this keypad anchor.
    int firstSkinAnchor = 0;

    bool isTexture() const { return kind == Kind::Texture || kind == Kind::GlyphSheet; }
    bool isAudio() const { return kind == Kind::Sound || kind == Kind::Music; }
};

// The steps an entry may name besides its numbered one: the steps after the
// loader's numbered list (loaded in the table's order), and the resources
// the program makes itself before the loader exists (the loader's progress
// bar and the mouse pointer).
inline constexpr int kExtraStep = 0;
inline constexpr int kBeforeLoader = -1;

// The whole table: what is made before the loader, the loader's numbered
// steps in order, then the extra resources.
const std::vector<Entry>& manifest();
// The entry of a resource name, or null.
const Entry* findEntry(std::string_view name);

// Scenery with a winter look: the sheet's name with this suffix
// ("trees-rigid-winter") has the same frames in a snowy picture, and the
// winter levels (season 3) use it in place of the sheet.
inline constexpr const char* kWinterSuffix = "-winter";
// The winter sheet of a texture ("trees-rigid" -> "trees-rigid-winter"),
// or null when the texture has none.
const Entry* winterVariant(std::string_view name);

// The skin description file of a texture: the same stem with ".ini".
std::string descriptionFileName(const std::string& textureFile);

// Level files packed into the level archive when they exist.
inline constexpr const char* kLevelFolder = "levels";

// The code pages that carry glyph pages, and their archives.
struct CodePage {
    const char* name;
    Wad wad;
};
inline constexpr CodePage kCodePages[] = {{"1252", Wad::Cp1252}, {"1250", Wad::Cp1250}};

// The game's six fonts: glyph-page stem, texture prefix, resource name; the
// two spacings the loader gives each font, which are fixed (the advance of a
// code without glyph, among them the space, and the letter spacing added to
// every glyph's cell); and how its pages are made to suit them: the em size
// in pixels, the dark outline's width, and how many pixels each character
// moves on beyond its advance (so every cell is tracking - letterSpacing
// pixels wider than its character's advance, where the ink leaves room).
// The sizes are those at which a word space of spaceAdvance pixels is about
// the font's own space; an outline takes a pixel of tracking so that the
// outlines of neighbouring letters do not run into each other; the tiny
// font keeps the pixel its letter spacing adds, since at 10 pixels the
// letters' anti-aliased edges fill their whole advance.
struct FontRole {
    const char* stem;
    const char* prefix;
    const char* resource;
    int spaceAdvance;
    int letterSpacing;
    int pixelSize;
    int outline;
    int tracking;
};
inline constexpr FontRole kFonts[] = {
    {"font-tiny", "fontTinyTex", "fontTiny", 3, 1, 10, 0, 1},
    {"font-small", "fontSmallTex", "fontSmall", 3, 0, 14, 0, 0},
    {"font-small-outline", "fontSmallOutlineTex", "fontSmallOutline", 3, -1, 14, 1, 1},
    {"font-medium", "fontMediumTex", "fontMedium", 6, 0, 22, 0, 0},
    {"font-medium-outline", "fontMediumOutlineTex", "fontMediumOutline", 6, -1, 22, 1, 1},
    {"font-large", "fontLargeTex", "fontLarge", 16, -4, 40, 2, 0},
};

}  // namespace content
