#include "objects/hints/TriggerHint.h"

#include "engine/Zub.h"
#include "input/TouchInput.h"
#include "input/ZubInput.h"
#include "lang/Language.h"
#include "object/Property.h"
#include "object/ResourceManager.h"
#include "objects/Level.h"
#include "objects/ObjectClassIds.h"
#include "objects/cargo/Cargo.h"
#include "objects/pig/Pig.h"
#include "records/GameConfiguration.h"
#include "text/FloatingText.h"
#include "text/FontQuad.h"
#include "text/TextMarkup.h"
#include "util/KeyCodes.h"

ZUB_IMPLEMENT_CLASS(TriggerHint, TriggerArea, object_ids::TriggerHint)

namespace {

bool contains(const WString& text, std::u16string_view part) { return text.find(part) != WString::npos; }

// Text identifiers that wait for the player although their texts may not
// name the key (other languages, touch texts).
constexpr const char16_t* kWalkIds[] = {u"HINTMOVELEFTRIGHT"};
constexpr const char16_t* kJumpIds[] = {u"HINTAPPLEJUMP", u"HINTSTEEPSLOPE", u"HINTLADDER",
                                        u"HINTESC",       u"HINTJUMP",       u"HINTAPPLE1A"};
constexpr const char16_t* kUpIds[] = {u"HINTSIGN", u"HINTSWITCH", u"HINTTELESCOPE", u"HINTBUTTON"};

template <size_t N>
bool isOneOf(const WString& id, const char16_t* const (&ids)[N]) {
    for (const char16_t* i : ids)
        if (id == i) return true;
    return false;
}

// The placeholders in the order they are replaced, each with its control
// (-1: the Escape key itself).
struct KeyMarker {
    const char16_t* marker;
    int control;
};
constexpr KeyMarker kKeyMarkers[] = {
    {u"#ESC#", -1},
    {u"#LEFT#", GameConfiguration::CONTROL_LEFT},
    {u"#RIGHT#", GameConfiguration::CONTROL_RIGHT},
    {u"#UP#", GameConfiguration::CONTROL_USE},
    {u"#DOWN#", GameConfiguration::CONTROL_DOWN},
    {u"#FIRE#", GameConfiguration::CONTROL_JUMP},
    {u"#ALTFIRE#", GameConfiguration::CONTROL_STATS},
    {u"#MAP#", GameConfiguration::CONTROL_MAP},
};

// A key's name from the input's name table; empty for a code outside it.
WString keyName(int code) {
    const ZubInput* in = ZubInput::active();
    if (!in || code < 0 || code >= ZubInput::INPUT_CODES) return WString();
    return in->keyNames[code];
}

}  // namespace

TriggerHint::TriggerHint() {
    if (ResourceManager* rm = ResourceManager::active()) editorSkin = rm->findAs<Skin>(u"editor_icons:2");
}

TriggerHint::~TriggerHint() = default;

const Language& TriggerHint::language() {
    if (ZUB && ZUB->language) return *ZUB->language;
    static const Language english;
    return english;
}

void TriggerHint::tick(double time, double dt) {
    TriggerArea::tick(time, dt);
    if (isEditorMode() || (bAutomatic && bShown)) return;
    if (previousHint) {
        const TriggerHint* before = zub_cast<TriggerHint>(previousHint.get());
        if (before && !before->wasShown()) return;
    }
    Level* level = Level::current();
    if (!level) return;
    const Pig* hero = level->getHero();
    const bool touch = isTouchInput();
    if (hero->state == Pig::PLAYING && hero->lockTime == 0.0 && (touch || isHeroInside())) {
        if (bAutomatic ? isHeroInside() && level->getConfiguration().showHints != 0 : level->promptTarget == this)
            bActivated = 1;
    }
    if (!bActivated) return;
    hintDelay -= dt;
    if (!(hintDelay < 0.0)) return;

    const Language& lang = language();
    const WString title = lang.getTextByString(hintTitleID, false);
    WString text = lang.getTextByString(hintTextID, false);
    if (touch) {
        const WString touchId = u"IOS_" + hintTextID;
        if (lang.hasString(touchId)) text = lang.getTextByString(touchId, true);
    }
    // A touch text on a machine without touch input counts as shown. A panel
    // that cannot open yet (another overlay opened in this frame) is shown
    // once the level runs again.
    if (!text.empty() && (touch || hintTextID.rfind(u"IOS_", 0) != 0) && !show(title, text)) return;
    if (!bAutomatic) bActivated = 0;
    bShown = 1;
}

bool TriggerHint::show(const WString& title, const WString& text) {
    const int wait = waitKindOf(text, hintTextID);
    const WString shown = insertKeyNames(text);
    if (bSpeechBubble) {
        A99Object* speaker = zub_cast<A99Object>(originator.get());
        const bool byOriginator = speaker != nullptr;
        if (!speaker) speaker = Level::current()->getHero();
        speaker->showSpeechBubble(hintNudge, byOriginator, wait, shown);
        return true;
    }
    return Level::current()->showHintPanel(title, shown, pIconSkin);
}

int TriggerHint::waitKindOf(const WString& text, const WString& textId) {
    int wait = WAIT_NONE;
    if (contains(text, u"#LEFT#") || contains(text, u"#RIGHT#") || isOneOf(textId, kWalkIds)) wait = WAIT_WALK;
    if (contains(text, u"#FIRE#") || isOneOf(textId, kJumpIds)) wait = WAIT_JUMP;
    if (contains(text, u"#UP#") || isOneOf(textId, kUpIds)) wait = WAIT_UP;
    return wait;
}

WString TriggerHint::insertKeyNames(WString text) {
    const WString before = WString(1, text_markup::SWITCH) + u"{0000ff}";
    const WString after = WString(1, text_markup::SWITCH) + u"{000001}";
    const Level* level = Level::current();
    for (const KeyMarker& k : kKeyMarkers) {
        if (!contains(text, k.marker)) continue;
        int code = input_codes::KEY_ESCAPE;
        if (k.control >= 0) code = level ? level->getConfiguration().controls[k.control].key : 0;
        replaceAll(text, k.marker, before + keyName(code) + after);
    }
    return text;
}

// ---------------------------------------------------------------------------
// The hero's prompt

bool TriggerHint::queryHeroPrompt(V3 point, int* priority, float* distance) {
    if (bAutomatic) return false;
    Level* level = Level::current();
    const Pig* hero = level ? level->heroOrNull() : nullptr;
    if (!hero) return false;
    if (!isTouchInput()) {
        if (!isHeroInside()) return false;
        *priority = PROMPT_PRIORITY;
        *distance = V3::distance(hero->position, position);
        return true;
    }
    // Touch: the point is where the player touched.
    const float d = V3::distance(position, point);
    if (!(d < triggerRadius)) return false;
    if (!V3::isWithinDistance(position, hero->position, TOUCH_REACH * triggerRadius)) {
        showTooFarAway(position);
        return false;
    }
    *priority = PROMPT_PRIORITY;
    *distance = d;
    return true;
}

void TriggerHint::showTooFarAway(const V3& at) {
    Level* level = Level::current();
    ResourceManager* resources = ResourceManager::active();
    if (!level || !level->fgEffectsList || !resources) return;
    // A build without the outlined font shows no notice.
    auto* font = zub_cast<FontQuad>(resources->find(u"fontSmallOutline", false));
    if (!font) return;
    level->fgEffectsList->addChild(new FloatingText(font, at, language().getText(SID_IOS_TOOFARAWAY),
                                                    Cargo::TOO_FAR_COLOR, V3(0.0f, Cargo::TOO_FAR_RISE, 0.0f),
                                                    Cargo::TOO_FAR_DURATION));
}

// ---------------------------------------------------------------------------
// Properties

void TriggerHint::addPropertiesTo(PropertyContainer* c) {
    TriggerArea::addPropertiesTo(c);
    c->add(new PropertyUString(u"hintTitleID", 0, &hintTitleID),
           "the string identifier of the hint's title (empty: none)");
    c->add(new PropertyUString(u"hintTextID", 0, &hintTextID), "the string identifier of the hint's text");
    c->add(new PropertyPointer(u"pIconSkin", PROP_RESOURCE, &pIconSkin, &Skin::classRecord),
           "the picture the hint panel shows");
    c->add(new PropertyBool(u"bSpeechBubble", 0, &bSpeechBubble), "shown as a speech bubble (no: in the hint panel)");
    c->add(new PropertyBool(u"bAutomatic", 0, &bAutomatic),
           "shown when the hero comes near (no: when she asks with the action key)");
    c->add(new PropertyReference(u"originator", 0, &originator, &A99Object::classRecord),
           "who speaks the bubble (none: the hero)");
    c->add(new PropertyReference(u"previousHint", 0, &previousHint, &TriggerHint::classRecord),
           "a hint that must have been shown before this one");
    addPropertyV3(c, u"hintNudge", 0, &hintNudge, "where the speech bubble stands relative to its speaker");
    c->add(new PropertyDouble(u"hintDelay", 0, &hintDelay),
           "seconds between the hero coming near and the hint showing");
}
