#include "app/Loader.h"

#include "Manifest.h"
#include "app/AppClassIds.h"
#include "app/Global.h"
#include "audio/Sound.h"
#include "audio/SoundStream.h"
#include "audio/ZubAudio.h"
#include "engine/ContextManager.h"
#include "engine/Zub.h"
#include "gfx/MemoryImageFile.h"
#include "gfx/Quad.h"
#include "gfx/Texture.h"
#include "gfx/ZubGraphics.h"
#include "gui/ProgressBar.h"
#include "lang/Language.h"
#include "menu/ContextLanguageSelect.h"
#include "object/FileData.h"
#include "object/ResourceManager.h"
#include "records/ProfileData.h"
#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "sys/Settings.h"
#include "sys/TimeKeeper.h"
#include "text/FontQuad.h"
#include "util/Format.h"

ZUB_IMPLEMENT_CLASS_ABSTRACT(Loader, Context, app_ids::Loader)

namespace {

double physicalClock() {
    const TimeKeeper* keeper = TimeKeeper::active();
    return TimeKeeper::getPhysicalTime() - (keeper ? keeper->startTime : 0.0);
}

void log(std::u16string_view function, const WString& message) { Logger::get().log(u"%s(): %s", function, message); }

FileManager& files() {
    FileManager* fm = FileManager::active();
    ZUB_ASSERT(fm != NULL);
    return *fm;
}

ResourceManager& resourceManager() {
    ResourceManager* rm = ResourceManager::active();
    ZUB_ASSERT(rm != NULL);
    return *rm;
}

Language& language() {
    ZUB_ASSERT(ZUB != NULL && ZUB->language != NULL);
    return *ZUB->language;
}

void selectArchive(Loader::Archive archive) {
    files().useWad(Global::userDataFilePath() + Loader::archiveSuffix(archive));
}

// ---- The table ------------------------------------------------------------------

using Kind = Loader::Kind;
using Archive = Loader::Archive;
using Action = Loader::Action;
using Resource = Loader::Resource;
using Step = Loader::Step;

// The numbered list ends with the last font; the extra steps follow it.
constexpr int32_t kLastNumberedStep = 206;

[[noreturn]] void tableError(const WString& message) {
    ErrorManager::errorAt(message, "Loader::steps", __FILE__, __LINE__);
}

Kind kindOf(const content::Entry& e) {
    switch (e.kind) {
        case content::Kind::Texture:
            return Kind::Texture;
        case content::Kind::GlyphSheet:
            return Kind::TextureNameOnly;
        case content::Kind::Sound:
            return Kind::Sound;
        case content::Kind::Music:
            return Kind::Music;
        case content::Kind::Image:
            return Kind::Image;
    }
    return Kind::Texture;
}

// The loader's archives; the glyph archives are the font steps' own.
Archive archiveOf(const content::Entry& e) {
    switch (e.wad) {
        case content::Wad::Main:
            return Archive::Main;
        case content::Wad::Language:
            return Archive::Language;
        case content::Wad::Levels:
            return Archive::Levels;
        case content::Wad::Cp1252:
        case content::Wad::Cp1250:
            break;
    }
    tableError(formatString(u"The resource '%s' lies in a glyph archive.", narrowToWide(e.name)));
}

Step resourceStep(const content::Entry& e) {
    Step s;
    s.action = Action::Resource;
    Resource& r = s.resource;
    r.kind = kindOf(e);
    r.name = narrowToWide(e.name);
    r.file = narrowToWide(e.file);
    r.archive = archiveOf(e);
    r.flags = e.flags;
    r.loop = e.loop;
    r.playbacks = e.playbacks;
    r.interval = e.interval;
    r.minPitch = e.minPitch;
    r.maxPitch = e.maxPitch;
    r.anchor = e.firstSkinAnchor;
    return s;
}

Step actionStep(Action a, int32_t font = 0) {
    Step s;
    s.action = a;
    s.font = font;
    return s;
}

}  // namespace

// The game's numbered list: its actions at their numbers, the manifest's
// resources at the numbers the manifest gives them; then the manifest's
// extra resources in its order, and the hand-over. A number given twice or
// left empty is a fault of the manifest, found at the first use of the table.
std::vector<Loader::Step> Loader::stepsFrom(const std::vector<content::Entry>& manifest) {
    std::vector<Step> steps(static_cast<size_t>(kLastNumberedStep));
    std::vector<bool> given(steps.size(), false);
    auto place = [&](int32_t number, Step step, std::u16string_view what) {
        if (number < 1 || number > kLastNumberedStep)
            tableError(formatString(u"The step %d of '%s' is outside the loader's list.", number, what));
        if (given[static_cast<size_t>(number - 1)]) tableError(formatString(u"The step %d is given twice.", number));
        given[static_cast<size_t>(number - 1)] = true;
        steps[static_cast<size_t>(number - 1)] = std::move(step);
    };
    place(1, actionStep(Action::Nothing), u"nothing");
    place(3, actionStep(Action::ApplyConfiguration), u"the video settings");
    place(4, actionStep(Action::StartMusic), u"the title music");
    place(38, actionStep(Action::SelectLevelArchive), u"the level archive");
    place(47, actionStep(Action::SelectMainArchive), u"the data archive");
    place(190, actionStep(Action::LevelFiles), u"the level files");
    place(191, actionStep(Action::ChooseLanguage), u"the language choice");
    place(192, actionStep(Action::SetLanguage), u"the language");
    for (int32_t i = 0; i < 6; ++i) {
        place(193 + i, actionStep(Action::FontPages, i), u"the glyph pages");
        place(201 + i, actionStep(Action::Font, i), u"the fonts");
    }
    std::vector<Step> extra;
    for (const content::Entry& e : manifest) {
        if (e.step == content::kBeforeLoader) continue;
        if (e.step == content::kExtraStep) extra.push_back(resourceStep(e));
        else place(e.step, resourceStep(e), narrowToWide(e.name));
    }
    for (size_t i = 0; i < given.size(); ++i)
        if (!given[i]) tableError(formatString(u"The step %d is missing.", static_cast<int32_t>(i + 1)));

    // Between the steps that select the level archive and the data archive
    // the resources of the level archive need no switch of their own.
    bool levelArchive = false;
    for (Step& s : steps) {
        if (s.action == Action::SelectLevelArchive) levelArchive = true;
        if (s.action == Action::SelectMainArchive) levelArchive = false;
        if (s.action != Action::Resource || !levelArchive) continue;
        if (s.resource.archive != Archive::Levels)
            tableError(
                formatString(u"The resource '%s' is read while the level archive is selected.", s.resource.name));
        s.resource.archive = Archive::Main;
    }
    for (Step& s : extra) steps.push_back(std::move(s));
    steps.push_back(actionStep(Action::Finish));
    return steps;
}

double (*Loader::clock)() = &physicalClock;

void Loader::createResourcesBeforeLoader() {
    for (const content::Entry& e : content::manifest())
        if (e.step == content::kBeforeLoader) createResource(resourceStep(e).resource);
}

const std::vector<Loader::Step>& Loader::steps() {
    static const std::vector<Step> table = stepsFrom(content::manifest());
    return table;
}

const std::vector<Loader::FontInfo>& Loader::fontTable() {
    static const std::vector<FontInfo> table = {
        {u"font-tiny", u"fontTinyTex", u"fontTiny", &Global::fontTiny, 3, 1, 0, 0, 1, 1, true},
        {u"font-small", u"fontSmallTex", u"fontSmall", &Global::fontSmall, 3, 0, 2, 5, 1, 1, true},
        {u"font-small-outline", u"fontSmallOutlineTex", u"fontSmallOutline", &Global::fontSmallOutline, 3, -1, 2, 5, 1,
         0, true},
        {u"font-medium", u"fontMediumTex", u"fontMedium", &Global::fontMedium, 6, 0, 6, 10, 1, 1, false},
        {u"font-medium-outline", u"fontMediumOutlineTex", u"fontMediumOutline", &Global::fontMediumOutline, 6, -1, 6,
         10, 1, 0, false},
        {u"font-large", u"fontLargeTex", u"fontLarge", &Global::fontLarge, 16, -4, 8, 14, 0, 0, false},
    };
    return table;
}

int32_t Loader::stepOf(std::u16string_view resourceName) {
    const std::vector<Step>& all = steps();
    for (size_t i = 0; i < all.size(); ++i)
        if (all[i].action == Action::Resource && resourceName == all[i].resource.name)
            return static_cast<int32_t>(i + 1);
    return 0;
}

const char16_t* Loader::archiveSuffix(Archive archive) {
    switch (archive) {
        case Archive::Main:
            return u"";
        case Archive::Language:
            return u".language.v2";
        case Archive::Levels:
            return u".levels";
    }
    return u"";
}

Loader::Loader() {
    log(u"Loader::Loader", u"Loading resources...");
    bDeleteWhenDone = 1;
    bEscapeCloses = 0;
    bShowPointer = 0;
    bHideFrameRate = 1;
    clearColor = 0xFF000000u;

    pProgressBar = new ProgressBar(resourceManager().findAs<Texture>(u"gui-game-progressBar", true), 0, 1);
    if (files().bEnableDelayedLoad) pProgressBar->bHidden = 1;
    addChild(pProgressBar);

    numSteps = loadStuff(true);
}

Loader::~Loader() = default;

void Loader::tickContents(double time, double dt) {
    ZubBase::tick(time, dt);
    const double deadline = clock() + SECONDS_PER_FRAME;
    for (;;) {
        const int32_t r = loadStuff(false);
        pProgressBar->setProgress(static_cast<float>(r) / static_cast<float>(numSteps));
        if (bOneStepOnly) {
            bOneStepOnly = 0;
            return;
        }
        // A step put a screen over the loader: wait for it, then run one
        // step alone.
        const auto* stack = dynamic_cast<const ContextManager*>(parent);
        if (stack && stack->getTop() != this) {
            bOneStepOnly = 1;
            return;
        }
        if (!(deadline > clock())) return;
    }
}

int32_t Loader::loadStuff(bool bCountOnly) {
    const int32_t last = static_cast<int32_t>(steps().size());
    if (bCountOnly || currentStep >= last) return last;
    const int32_t k = currentStep + 1;
    currentStep = k;
    runStep(steps()[static_cast<size_t>(k - 1)]);
    return k;
}

void Loader::runStep(const Step& step) {
    switch (step.action) {
        case Action::Nothing:
            break;
        case Action::Resource:
            createResource(step.resource);
            break;
        case Action::SelectLevelArchive:
            selectArchive(Archive::Levels);
            break;
        case Action::SelectMainArchive:
            selectArchive(Archive::Main);
            break;
        case Action::ApplyConfiguration:
            // The window's current state is the player's choice from now on.
            if (GLOBAL) {
                if (const ZubGraphics* g = ZubGraphics::active()) GLOBAL->config.fullScreen = g->bFullScreen ? 1 : 0;
                GLOBAL->config.applyToEngine(-1, -1);
            }
            bOneStepOnly = 1;
            break;
        case Action::StartMusic:
            if (ZubAudio* audio = ZubAudio::active())
                audio->setMusic(resourceManager().findAs<SoundStream>(u"musicMenu", true));
            break;
        case Action::LevelFiles:
            // Only archive creation records the level files; otherwise a level
            // is read when it is played.
            if (files().bCreateWad) {
                selectArchive(Archive::Levels);
                for (int32_t n = 0; n < NUMLEVELS; ++n) {
                    const WString file = ProfileData::levelNumberToFile(n);
                    if (files().fileExists(file)) FileData recorded(0, file);
                }
                selectArchive(Archive::Main);
            }
            break;
        case Action::ChooseLanguage:
            chooseLanguage();
            break;
        case Action::SetLanguage: {
            Language& l = language();
            l.setLanguage(ZUB->settings ? ZUB->settings->getDefaultLanguage() : Language::ENGLISH);
            // Glyph pages of the fonts read their codes through the language's code page.
            FontQuad::setCodePage(l.getText(SID_LANGUAGECODEPAGE));
            break;
        }
        case Action::FontPages: {
            const FontInfo& f = fontTable()[static_cast<size_t>(step.font)];
            fontRes(false, f.texturePrefix, u"", f.stem, u"");
            break;
        }
        case Action::Font:
            createFont(fontTable()[static_cast<size_t>(step.font)]);
            break;
        case Action::Finish:
            if (GLOBAL) GLOBAL->initPostLoader();
            done = 1;
            break;
    }
}

void Loader::createResource(const Resource& r) {
    if (r.archive != Archive::Main) selectArchive(r.archive);
    switch (r.kind) {
        case Kind::Texture: {
            auto* t = new Texture(r.flags, r.file);
            registerTexture(t, r.name);
            if (r.anchor != 0)
                if (Quad* first = t->getSkin(0)) first->getAnchorPoint(r.anchor);
            break;
        }
        case Kind::TextureNameOnly:
            registerResource(new Texture(r.flags, r.file), r.name);
            break;
        case Kind::Sound: {
            auto* s = new Sound(r.loop, r.playbacks, r.file);
            registerResource(s, r.name);
            s->minInterval = r.interval;
            s->minPitch = r.minPitch;
            s->maxPitch = r.maxPitch;
            break;
        }
        case Kind::Music:
            registerResource(new SoundStream(r.loop, r.file), r.name);
            break;
        case Kind::Image:
            registerResource(new MemoryImageFile(r.flags, r.file), r.name);
            break;
    }
    if (r.archive != Archive::Main) selectArchive(Archive::Main);
}

void Loader::registerResource(ZubBase* resource, std::u16string_view name) {
    ZUB_ASSERT(GLOBAL != NULL && GLOBAL->resources != NULL);
    GLOBAL->resources->addChild(resource);
    resourceManager().addResource(name, resource);
}

void Loader::registerTexture(Texture* texture, std::u16string_view name) {
    registerResource(texture, name);
    ResourceManager& rm = resourceManager();
    for (int i = 0; i < texture->getSkinCount(); ++i)
        rm.addResource(formatString(u"%s:%d", name, i), texture->getSkin(i));
}

void Loader::chooseLanguage() {
    Settings* settings = ZUB ? ZUB->settings.get() : nullptr;
    ZUB_ASSERT(settings != NULL);
    if (settings->singleLanguage >= 0) {
        settings->setDefaultLanguage(settings->singleLanguage);
        log(u"Loader::loadStuff", formatString(u"Single language mode (%d).", settings->singleLanguage));
        return;
    }
    log(u"Loader::loadStuff", formatString(u"Multilanguage mode (%d).", settings->getDefaultLanguage()));

    FileManager& fm = files();
    if (fm.bUseWad) {
        // Every language that may be chosen needs its glyph archive and its flag.
        const Language& l = language();
        const auto* flags = resourceManager().findAs<Texture>(u"languageFlags", true);
        for (int32_t i = 0; i < Language::NUM_LANGUAGES; ++i) {
            if (!l.isLanguageAvailable(i)) continue;
            WString archive = Global::userDataFilePath() + u"." + l.getTextIn(i, SID_LANGUAGECODEPAGE);
            if (fm.hq2x == 2) archive += u".hq2x";
            fm.verifyFileDisk(archive);
            const std::u16string_view isoCode = l.getTextIn(i, SID_LANGUAGEISOCODE);
            if (!(flags->getSkinCount() > ContextLanguageSelect::isoCode2skinIndex(isoCode)))
                ErrorManager::assertionFailed(
                    "FIND_RESOURCE(Texture,TT(\"languageFlags\"))->skins.size()>"
                    "ContextLanguageSelect::isoCode2skinIndex(isoCode)",
                    "Loader::loadStuff", __FILE__, __LINE__);
        }
    }
    // -2 detects the language, -1 asks on the language page (the loader
    // waits behind it).
    if (GLOBAL && GLOBAL->contextManager)
        ContextLanguageSelect::settleDefaultLanguage(*settings, *GLOBAL->contextManager);
}

void Loader::fontRes(bool bRecordOnly, std::u16string_view texturePrefix, std::u16string_view pathPrefix,
                     std::u16string_view fontName, std::u16string_view codePageIn) {
    FileManager& fm = files();
    ResourceManager& rm = resourceManager();
    const Language& l = language();
    WString codePage(codePageIn);
    if (codePage.empty()) {
        // An archive being made gets the glyph files of both languages.
        if (fm.bCreateWad) {
            fontRes(true, texturePrefix, pathPrefix, fontName, l.getTextIn(0, SID_LANGUAGECODEPAGE));
            fontRes(true, texturePrefix, pathPrefix, fontName, l.getTextIn(1, SID_LANGUAGECODEPAGE));
        }
        codePage = l.getText(SID_LANGUAGECODEPAGE);
    }
    fm.useWad(Global::userDataFilePath() + u"." + codePage);

    // The numbered pages from 1 up to the first one missing: the glyph pages,
    // then the extra pages ("extra-" files, "Extra" resources).
    auto pages = [&](std::u16string_view filePrefix, std::u16string_view nameInfix, int32_t flags) {
        for (int n = 1;; ++n) {
            const WString file =
                formatString(u"%sgfx/font/%s/%s%s-%d.tga", pathPrefix, codePage, filePrefix, fontName, n);
            if (!fm.fileExists(file)) break;
            if (bRecordOnly) Texture recorded(0, file);
            else registerResource(new Texture(flags, file), formatString(u"%s%s%d", texturePrefix, nameInfix, n));
        }
    };
    pages(u"", u"", 14);
    pages(u"extra-", u"Extra", 10);
    const WString table = formatString(u"%sgfx/font/%s/%s.codepointLUT.bin", pathPrefix, codePage, codePage);
    const WString tableName = formatString(u"%s.codepointLUT", codePage);
    if (!rm.find(tableName, false) && fm.fileExists(table)) {
        if (bRecordOnly) FileData recorded(0, table);
        else registerResource(new FileData(0, table), tableName);
    }
    fm.useWad(Global::userDataFilePath());

    if (bRecordOnly || rm.find(WString(texturePrefix) + u"1", false)) return;
    if (codePage == u"1252") {
        ErrorManager::errorAt(formatString(u"Could not find any 8-bit glyphs for font '%s'", fontName),
                              "Loader::fontRes", __FILE__, __LINE__);
    }
    // The language's code page has no pages for this font: the 8-bit ones.
    fontRes(false, texturePrefix, pathPrefix, fontName, u"1252");
}

void Loader::createFont(const FontInfo& info) {
    auto* font = new FontQuad;
    if (GLOBAL) GLOBAL->*info.pointer = font;
    font->defaultCharWidth = info.defaultCharWidth;
    font->letterSpacing = info.letterSpacing;
    font->accentDropCapital = info.accentDropCapital;
    font->accentDropSmall = info.accentDropSmall;
    font->bAllowTextCache = info.bAllowTextCache;
    font->bCacheFlag = info.bCacheFlag;

    ResourceManager& rm = resourceManager();
    if (&info == &fontTable().front()) {
        // The tiny font: its 8-bit page, then the GUI symbols from code 0 and
        // the editor's symbols from code 128, both with their codes as they are.
        font->addSourceTexture(rm.findAs<Texture>(WString(info.texturePrefix) + u"1", true), 33, false);
        font->addSourceTexture(rm.findAs<Texture>(u"fontTinyGUIsymbolsTex", true), 0, true);
        font->addSourceTexture(rm.findAs<Texture>(u"fontTinyEditorSymbolsTex", true), 128, true);
    } else {
        const Language& l = language();
        font->addSourceTextures(info.texturePrefix);
        font->buildCompositeChars(l.getText(SID_LANGUAGECOMPOSITECHARS), l.getText(SID_LANGUAGECODEPAGE));
        font->finishLoading();
    }
    if (info.bResolutionScaling) font->enableResolutionScaling();
    font->attachFontCache();
    registerResource(font, info.resourceName);
}
