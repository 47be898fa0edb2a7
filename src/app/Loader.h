#pragma once
// The first screen: it creates every texture, sound, music stream, image,
// code-point table and font that the game later finds by name, settles the
// language, and in its last step hands over to Global::initPostLoader.
//
// The work is an ordered table of numbered steps (steps()), one resource or
// one small action each, made from the resource manifest (content/
// Manifest.h), which gives each resource its step. Steps 1 to 206 follow the
// game's fixed list (music first, the title music starts at step 4;
// textures; sounds; the level files; the language at 191 and 192; the fonts
// at 193 to 206): the loader places its actions at their numbers and the
// manifest's resources at theirs. The steps after 206 load, in the
// manifest's order, the resources of the later seasons and valleys that
// this list leaves out (their skies and hills, the minimaps, the tools, the
// animals, the standard GUI theme's sheets); the last step calls
// initPostLoader and marks the loader done.
//
// Each frame runs steps until a quarter of a second has passed (the time is
// tested after a step, so a frame runs at least one and no step is cut); the
// first frame runs step 1 (nothing) alone so that the empty screen is drawn
// first; step 3 (the video settings) ends its frame; a step that pushes a
// screen (the language page) ends the frame at once, and the first frame
// after that screen has gone runs one step alone. The progress bar shows
// the steps done out of all; it is hidden while loads are delayed
// (bEnableDelayedLoad: sounds and images then only check their files).
//
// Archives: every resource comes from the archive selected when it is made,
// the data archive "Tumbrodemo.dat" beside the program unless a step selects
// one of its siblings (".language.v2" for the flags, ".levels" for the
// minimaps and the level files, "." + code page for glyph pages) and then
// switches back. In archive-creation mode the files opened are recorded into
// those archives, and the level step records every level file there is.
#include <cstdint>
#include <string_view>
#include <vector>

#include "gfx/Context.h"
#include "util/WString.h"

namespace content {
struct Entry;
}
class FontQuad;
class Global;
class ProgressBar;
class Texture;

class Loader : public Context {
    ZUB_DECLARE_CLASS(Loader)
public:
    // The longest a frame goes on loading.
    static constexpr double SECONDS_PER_FRAME = 0.25;

    // What a resource step creates.
    enum class Kind : uint8_t {
        Texture,          // Texture with its skins, registered with registerTexture
        TextureNameOnly,  // Texture registered by name only
        Sound,            // Sound sample
        Music,            // SoundStream
        Image,            // MemoryImageFile
    };
    // The data archive and its siblings.
    enum class Archive : uint8_t { Main, Language, Levels };

    struct Resource {
        Kind kind = Kind::Texture;
        WString name;
        WString file;                     // relative to the game's folder (the kind's rule filled in)
        Archive archive = Archive::Main;  // selected for this step alone
        int32_t flags = 0;                // textures and images
        int32_t loop = 0;                 // sounds and music
        int32_t playbacks = 2;            // sounds
        double interval = 0.0;
        float minPitch = 0.0f, maxPitch = 0.0f;
        int32_t anchor = 0;  // nonzero: the first skin's origin is set to this anchor
    };

    enum class Action : uint8_t {
        Nothing,
        Resource,
        SelectLevelArchive,  // 38
        SelectMainArchive,   // 47
        ApplyConfiguration,  // 3
        StartMusic,          // 4
        LevelFiles,          // 190
        ChooseLanguage,      // 191
        SetLanguage,         // 192
        FontPages,           // 193-198
        Font,                // 201-206
        Finish,              // the last step
    };

    struct Step {
        Action action = Action::Nothing;
        Resource resource;  // Action::Resource
        int32_t font = 0;   // FontPages and Font: index into fontTable()
    };

    // One of the game's six fonts.
    struct FontInfo {
        const char16_t* stem;           // glyph page files: "font-small"
        const char16_t* texturePrefix;  // page resources: "fontSmallTex"
        const char16_t* resourceName;   // "fontSmall"
        FontQuad* Global::*pointer;
        int32_t defaultCharWidth;
        int32_t letterSpacing;
        int32_t accentDropCapital;
        int32_t accentDropSmall;
        uint8_t bAllowTextCache;
        uint8_t bCacheFlag;
        bool bResolutionScaling;
    };

    // The steps in order: step k is steps()[k - 1]. A manifest that gives a
    // number twice, leaves one empty or names an archive the loader does not
    // select is fatal at the first call.
    static const std::vector<Step>& steps();
    // The table made from a manifest: the actions at their numbers, the
    // entries at the steps they name, the extra entries in order, then the
    // hand-over.
    static std::vector<Step> stepsFrom(const std::vector<content::Entry>& manifest);
    static const std::vector<FontInfo>& fontTable();
    // The number of the step that loads the named resource, or 0.
    static int32_t stepOf(std::u16string_view resourceName);
    // What an archive's file name adds to the data archive's: "" for the
    // data archive itself, ".language.v2", ".levels".
    static const char16_t* archiveSuffix(Archive archive);

    Loader();
    ~Loader() override;

    void tickContents(double time, double dt) override;

    // With bCountOnly: the number of the last step, nothing else. Otherwise
    // runs the next step and returns its number; once every step has run,
    // does nothing and returns the last number again.
    int32_t loadStuff(bool bCountOnly);

    // Creates and registers the resources that the manifest makes before
    // the loader (the progress bar's sheet, the mouse pointer), as their
    // steps would.
    static void createResourcesBeforeLoader();
    // Makes the resource the last child of the global object's resource
    // holder and maps the name to it.
    static void registerResource(ZubBase* resource, std::u16string_view name);
    // registerResource, then each skin i under "name:i".
    static void registerTexture(Texture* texture, std::u16string_view name);
    // Finds and registers one font's glyph pages, extra pages and its code
    // page's code-point table, from the archive of the code page (the
    // current language's when `codePage` is empty; "1252" when that has no
    // pages). With bRecordOnly the files are only opened (archive creation).
    static void fontRes(bool bRecordOnly, std::u16string_view texturePrefix, std::u16string_view pathPrefix,
                        std::u16string_view fontName, std::u16string_view codePage);

    // The clock of the frame budget: physical seconds since the time
    // keeper's origin. Tests may replace it.
    static double (*clock)();

    ProgressBar* pProgressBar = nullptr;  // child
    int32_t numSteps = 0;
    uint8_t bOneStepOnly = 1;
    int32_t currentStep = 0;

private:
    void runStep(const Step& step);
    static void createResource(const Resource& r);
    static void chooseLanguage();
    static void createFont(const FontInfo& info);
};
