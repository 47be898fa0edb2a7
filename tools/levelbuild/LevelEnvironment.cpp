#include "LevelEnvironment.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "KeyScript.h"
#include "LevelBuilder.h"
#include "Manifest.h"
#include "OutputFile.h"
#include "Painter.h"
#include "ScratchFolder.h"
#include "TextFile.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "flow/GameController.h"
#include "flow/GameServer.h"
#include "gfx/ImageCodec.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/RenderCounters.h"
#include "gfx/Texture.h"
#include "lang/Language.h"
#include "object/Packet.h"
#include "platform/PlatformSystem.h"
#include "sys/ErrorManager.h"
#include "sys/Paths.h"
#include "text/FontQuad.h"
#include "util/Format.h"
#include "util/Random.h"

namespace levelbuild {

namespace {

// Every texture and sound of the manifest, made once per program and kept
// (making them takes a while): textures cut into the generated content's
// frames, sounds silent with the manifest's playbacks and pitch ranges.
struct Placeholders {
    std::vector<std::pair<WString, std::unique_ptr<Texture>>> textures;
    std::vector<std::pair<WString, std::unique_ptr<Sound>>> sounds;
    // The level maps (blank, or the generator's painted pictures).
    std::vector<std::pair<WString, std::unique_ptr<MemoryImageFile>>> images;

    // The pixels of an entry's sheet: blank, or the generator's picture.
    static std::unique_ptr<MemoryImageFile> sheet(const content::Entry& e, const contentgen::SheetLayout& layout,
                                                  LevelEnvironment::Art art) {
        if (art == LevelEnvironment::Art::Painted)
            return std::make_unique<MemoryImageFile>(
                DecodedImage{layout.width, layout.height, contentgen::paintSheet(e, layout).pixels(), true});
        return std::make_unique<MemoryImageFile>(layout.width, layout.height);
    }

    explicit Placeholders(LevelEnvironment::Art art) {
        for (const content::Entry& e : content::manifest()) {
            const WString name = narrowToWide(e.name);
            if (e.kind == content::Kind::Texture && !e.frames.empty()) {
                const contentgen::SheetLayout layout = contentgen::layoutSheet(e.frames);
                auto t = std::make_unique<Texture>(sheet(e, layout, art).get());
                t->applySkinDescription(contentgen::skinDescription(e, layout), name);
                textures.emplace_back(name, std::move(t));
            } else if (e.kind == content::Kind::Image && !e.frames.empty()) {
                images.emplace_back(name, sheet(e, contentgen::layoutSheet(e.frames), art));
            } else if (e.kind == content::Kind::Sound) {
                auto s = std::make_unique<Sound>(e.loop, e.playbacks, std::vector<float>(64, 0.0f), 1, 22050);
                s->minPitch = e.minPitch;
                s->maxPitch = e.maxPitch;
                s->minInterval = e.interval;
                sounds.emplace_back(name, std::move(s));
            }
        }
    }
};

const Placeholders& placeholders(LevelEnvironment::Art art) {
    static std::once_flag blankOnce, paintedOnce;
    static std::unique_ptr<Placeholders> blank, painted;
    if (art == LevelEnvironment::Art::Painted) {
        std::call_once(paintedOnce, [] { painted = std::make_unique<Placeholders>(LevelEnvironment::Art::Painted); });
        return *painted;
    }
    std::call_once(blankOnce, [] { blank = std::make_unique<Placeholders>(LevelEnvironment::Art::Blank); });
    return *blank;
}

constexpr const char16_t* kFontNames[] = {u"fontTiny",   u"fontSmall",         u"fontSmallOutline",
                                          u"fontMedium", u"fontMediumOutline", u"fontLarge"};

}  // namespace

LevelEnvironment::LevelEnvironment(int detailLevel, Art art) {
    savedRandom = randomState;
    randomState = RANDOM_SEED;
    folder = makeScratchFolder();
    files.baseFolder = folder;
    setUserDataFolderOverride(folder);
    config = std::make_unique<GameConfiguration>();
    config->detailLevel = detailLevel;
    config->inGameMusic = 1;
    profileManager = std::make_unique<ProfileManager>();
    profileManager->addProfile(u"Player");
    savedServices = GameServices::install(this);
    // The keys' names, as the language gives them to the program's input
    // (hints and prompts name the bound keys).
    for (int code = 0; code < ZubInput::INPUT_CODES; ++code) input.keyNames[code] = gameLanguage().buildKeyName(code);

    const Placeholders& p = placeholders(art);
    for (const auto& [name, t] : p.textures) t->registerSkins(resources, name);
    for (const auto& [name, s] : p.sounds) resources.addResource(name, s.get());
    for (const auto& [name, image] : p.images) resources.addResource(name, image.get());
    for (const content::Entry& e : content::manifest())
        if (e.kind == content::Kind::Music)
            resources.addResource(narrowToWide(e.name), owned.emplace_back(std::make_unique<SoundStream>()).get());
    ZubBase* font = owned.emplace_back(std::make_unique<FontQuad>()).get();
    for (const char16_t* name : kFontNames) resources.addResource(name, font);
    // What was made so far draws from the generator as the program's start
    // does: seeded again, every level starts from the same state.
    randomState = RANDOM_SEED;
}

LevelEnvironment::~LevelEnvironment() {
    manager.reset();
    GameServices::install(savedServices);
    profileManager.reset();
    config.reset();
    resources.clear();
    owned.clear();
    setUserDataFolderOverride("");
    if (!folder.empty()) removeScratchFolder(folder);
    randomState = savedRandom;
}

bool LevelEnvironment::loadFonts(const std::string& contentFolder) {
    FileManager pages;
    pages.baseFolder = contentFolder.empty() || contentFolder.back() == '/' ? contentFolder : contentFolder + "/";
    FontQuad::setCodePage(u"1252");
    std::vector<std::pair<WString, ZubBase*>> made;
    for (const content::FontRole& role : content::kFonts) {
        const WString stem = narrowToWide(role.stem);
        const WString prefix = narrowToWide(role.prefix);
        bool any = false;
        for (const char16_t* kind : {u"", u"extra-"}) {
            const WString suffix = kind[0] ? u"Extra" : u"";
            for (int n = 1;; ++n) {
                const WString file = formatString(u"gfx/font/1252/%s%s-%d.tga", kind, stem, n);
                if (!pages.fileExists(file)) break;
                ZubBase* t = owned.emplace_back(std::make_unique<Texture>(kind[0] ? 10 : 14, file)).get();
                resources.addResource(formatString(u"%s%s%d", prefix, suffix, n), t);
                any = true;
            }
        }
        if (!any) return false;
        auto* font = static_cast<FontQuad*>(owned.emplace_back(std::make_unique<FontQuad>()).get());
        font->addSourceTextures(prefix);
        font->finishLoading();
        made.emplace_back(narrowToWide(role.resource), font);
    }
    // The placeholder's names now name the real fonts.
    for (const auto& [name, font] : made) resources.addResource(name, font);
    return true;
}

void LevelEnvironment::writeLevelFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    // Made only while the run goes on: a stop removes the scratch folder.
    platform::makeDirectories(folder + "levels");
    std::string error;
    if (writeOutputFile(folder + "levels/" + name + ".lev", bytes.data(), bytes.size(), error)) return;
    // The level cannot be played without it: the end, as when the game cannot
    // load a level, leaving no scratch folder behind.
    removeScratchFolder(folder);
    ErrorManager::error(u"levelbuild: %s (the copy of the level that is played)", error);
}

GameController& LevelEnvironment::play(int number) {
    manager.reset();
    profileManager->currentProfile().currentLevel = number;
    randomState = RANDOM_SEED;
    time = 0.0;
    frames = 0;
    manager = std::make_unique<ContextLevelManager>(number);
    return *server().controller();
}

GameController& LevelEnvironment::play(const BuiltLevel& level) {
    install(level);
    return play(level.number);
}

void LevelEnvironment::install(const BuiltLevel& level) {
    writeLevelFile(levelNameOf(level.number), level.bytes);
    // The level's own map in place of the placeholder.
    DecodedImage map;
    std::string reason;
    if (!level.minimap.empty() && image_codec::tryDecode(level.minimap.data(), level.minimap.size(), map, reason)) {
        ZubBase* image = owned.emplace_back(std::make_unique<MemoryImageFile>(std::move(map))).get();
        resources.addResource(formatString(u"minimap%02d", level.number), image);
    }
}

GameServer& LevelEnvironment::server() { return *manager->gameServer; }

void LevelEnvironment::frame(const std::set<int>& keys) {
    platform::InputSnapshot s;
    for (int code : keys)
        if (code > 0 && code < platform::KEY_COUNT) s.keys[code] = 0x80;
    input.update(s);
    ++renderCounters.frameNumber;
    manager->tick(time, DT);
    time += DT;
    ++frames;
}

void LevelEnvironment::run(const KeyScript& script) {
    const int length = script.length();
    while (frames < length && !manager->done) frame(script.keysAt(frames));
}

uint32_t LevelEnvironment::stateHash() {
    for (int capacity = 1 << 20;; capacity *= 2) {
        Packet p(Packet::FLAG_NETWORK, capacity);
        p.setErrorMode(Packet::ErrorMode::Report);
        hashInto(p);
        if (!p.failed()) return p.crc32(0, p.length());
    }
}

void LevelEnvironment::hashInto(Packet& p) {
    server().writeFullState(&p);
    if (GameController* gc = server().controller()) {
        int32_t state = gc->state;
        p.doInt(state);
        const LevelResult& r = gc->currentResult;
        for (int32_t v : {r.points, r.applesGathered, r.bonusApplesGathered, r.sweetsGathered, r.secretsFound,
                          r.livesLost, r.applesLost, r.score, gc->playFrameCount})
            p.doInt(v);
        double t = r.time;
        p.doDouble(t);
    }
    uint32_t random = randomState;
    p.doDWORD(random);
}

}  // namespace levelbuild
