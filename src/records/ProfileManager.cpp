#include "records/ProfileManager.h"

#include <cstring>
#include <string_view>

#include "records/AppInfo.h"
#include "records/RecordBytes.h"
#include "records/RecordFile.h"
#include "sys/Logger.h"
#include "util/Format.h"

namespace {

bool validSlot(int32_t index) { return index >= 0 && index < ProfileManager::kNumSlots; }

// The name of a slot, even when the field lacks its NUL.
WString slotName(const ProfileData& slot) {
    return narrowToWide(std::string_view(slot.name, strnlen(slot.name, sizeof slot.name)));
}

void logRepair(const WString& what) { Logger::get().log(u"%s(): %s", "ProfileManager::repairLoadedValues", what); }

}  // namespace

// Each slot is built as a fresh profile, which takes its two steps of the
// shared random sequence (twenty in all, the sequence the level objects then
// continue); then every slot is cleared to free.
ProfileManager::ProfileManager() {
    current = 0;
    for (ProfileData& slot : slots) slot.clear();
    load();
    onCurrentProfileChanged();
}

ProfileManager::~ProfileManager() { save(); }

WString ProfileManager::fileName() { return WString(AppInfo::appFolderName) + u".pro"; }

bool ProfileManager::load() { return loadRecordFile(*this); }

bool ProfileManager::save() const { return saveRecordFile(*this); }

void ProfileManager::addProfile(std::u16string_view name) {
    for (int32_t i = 0; i < kNumSlots; ++i) {
        if (slots[i].name[0] != 0) continue;
        slots[i] = ProfileData();
        copyToFixedString256(slots[i].name, name);
        current = i;
        onCurrentProfileChanged();
        return;
    }
    Logger::get().log(u"%s(): %s", "ProfileManager::addProfile", u"Every profile slot is taken.");
}

void ProfileManager::deleteProfile(int32_t index) {
    if (!validSlot(index)) {
        Logger::get().log(u"%s(): %s", "ProfileManager::deleteProfile",
                          formatString(u"There is no profile slot %d.", index));
        return;
    }
    for (int32_t i = index; i + 1 < kNumSlots; ++i) slots[i] = slots[i + 1];
    slots[kNumSlots - 1].clear();

    if (index < current) {
        // The current player moved down with the others.
        --current;
    } else if (index == current && slots[current].name[0] == 0) {
        current = 0;
    }
}

int32_t ProfileManager::countProfiles() const {
    int32_t count = 0;
    for (const ProfileData& slot : slots) {
        if (slot.name[0] != 0) ++count;
    }
    return count;
}

WString ProfileManager::getProfileName(int32_t index) const {
    if (!validSlot(index)) return WString();
    return slotName(slots[index]);
}

ProfileData& ProfileManager::currentProfile() {
    if (!validSlot(current)) current = 0;
    return slots[current];
}

void ProfileManager::onCurrentProfileChanged() {
    ProfileData& profile = currentProfile();
    WString name = slotName(profile);
    if (name.size() > static_cast<size_t>(ProfileData::kMaxNameLength)) {
        size_t keep = ProfileData::kMaxNameLength;
        // Never keep half of a surrogate pair.
        if (name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
        name.resize(keep);
    }
    copyToFixedString256(profile.name, name);
    Logger::get().log(u"%s(): %s", "ProfileManager::onCurrentProfileChanged",
                      formatString(u"Changing profile to '%s'...", escapeForLog(name)));
}

std::vector<uint8_t> ProfileManager::serialize() const { return recordToBytes(*this); }

bool ProfileManager::deserialize(const uint8_t* data, size_t size) { return recordFromBytes(*this, data, size); }

int ProfileManager::repairLoadedValues() {
    int repaired = 0;
    if (!validSlot(current)) {
        logRepair(formatString(u"current was %d in the file; using 0.", current));
        current = 0;
        ++repaired;
    }
    for (int32_t i = 0; i < kNumSlots; ++i) {
        ProfileData& slot = slots[i];
        if (terminateTextField(slot.name)) {
            logRepair(formatString(u"The name of slot %d was not terminated in the file.", i));
            ++repaired;
        }
        if (slot.currentLevel < 0 || slot.currentLevel >= NUMLEVELS) {
            logRepair(formatString(u"currentLevel of slot %d was %d in the file; using 0.", i, slot.currentLevel));
            slot.currentLevel = 0;
            ++repaired;
        }
        // Times no later attempt could beat (not a number, negative).
        for (int32_t level = 0; level <= NUMLEVELS; ++level) {
            LevelResult& result = level < NUMLEVELS ? slot.levels[level] : slot.total;
            if (const int n = result.repairLoadedTimes()) {
                const WString which = level < NUMLEVELS ? formatString(u"level %d", level) : WString(u"the total");
                logRepair(formatString(u"%d times of %s in slot %d were out of range in the file.", n, which, i));
                repaired += n;
            }
        }
    }
    return repaired;
}

void ProfileManager::write(RecordWriter& out) const {
    out.i32(current);
    out.bytes(pad4);
    for (const ProfileData& slot : slots) slot.write(out);
}

void ProfileManager::read(RecordReader& in) {
    current = in.i32();
    in.bytes(pad4);
    for (ProfileData& slot : slots) slot.read(in);
}
