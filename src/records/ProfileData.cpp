#include "records/ProfileData.h"

#include <vector>

#include "engine/Zub.h"
#include "lang/Language.h"
#include "records/RandomIdentity.h"
#include "records/RecordBytes.h"
#include "sys/ErrorManager.h"
#include "util/Format.h"

ProfileData::ProfileData() { reset(); }

void ProfileData::clear() {
    const std::vector<uint8_t> zeros(kRecordSize, 0);
    RecordReader in(zeros.data(), zeros.size());
    read(in);
}

void ProfileData::reset() {
    clear();
    profileId = drawIdentity();
    for (LevelResult& level : levels) level.reset();
    total.reset();
    currentLevel = 0;
    levels[0].unlocked = 1;
}

void ProfileData::write(RecordWriter& out) const {
    out.bytes(name);
    out.u32(profileId);
    out.bytes(pad104);
    for (const LevelResult& level : levels) level.write(out);
    total.write(out);
    out.i32(currentLevel);
    out.bytes(pad14a4);
}

void ProfileData::read(RecordReader& in) {
    in.bytes(name);
    profileId = in.u32();
    in.bytes(pad104);
    for (LevelResult& level : levels) level.read(in);
    total.read(in);
    currentLevel = in.i32();
    in.bytes(pad14a4);
}

WString ProfileData::levelNumberToFile(int32_t levelNumber) {
    if (levelNumber < 0 || levelNumber >= NUMLEVELS) ZUB_ERROR(u"Unhandled level number (%d)", levelNumber);
    static constexpr char16_t kDigits[4] = {u'1', u'2', u'3', u'9'};
    WString file = u"./levels/";
    file += static_cast<char16_t>(u'a' + levelNumber / 4);
    file += kDigits[levelNumber % 4];
    file += u".lev";
    return file;
}

int32_t ProfileData::levelFileToNumber(std::u16string_view file) {
    for (int32_t n = 0; n < NUMLEVELS; ++n)
        if (file == levelNumberToFile(n)) return n;
    return -1;
}

WString ProfileData::levelNumberToTitle(int32_t levelNumber) {
    ZUB_ASSERT(ZUB && ZUB->language);
    return levelNumberToTitle(levelNumber, *ZUB->language);
}

WString ProfileData::levelNumberToTitle(int32_t levelNumber, const Language& language) {
    ZUB_ASSERT(levelNumber >= 0 && levelNumber < NUMLEVELS);
    return language.getText(SID_LEVELTITLE0 + levelNumber);
}

WString ProfileData::levelNumberToMusic(int32_t levelNumber) {
    if (levelNumber == 31) return u"musicMenu";
    if (levelNumber == 19) return u"musicNone";
    switch (levelNumber % 4) {
        case 0:
            return u"musicGame1";
        case 1:
            return u"musicGame2";
        case 2:
            return u"musicGame3";
        case 3:
            return u"musicBonus";
        default:
            break;
    }
    ZUB_ERROR(u"Unhandled level number (%d)", levelNumber);
}

WString ProfileData::levelNumberToMinimap(int32_t levelNumber) { return formatString(u"minimap%02d", levelNumber); }
