#pragma once
// The ten player-profile slots and the index of the current one. Held by
// value in the game object and stored whole as the packed file
// "Tumbrodemo.pro" in the per-user folder: 52888 bytes, written field by field.
//
// A slot whose name is empty is free. The menus' players page reads and
// writes `current` directly and then calls onCurrentProfileChanged.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "records/ProfileData.h"
#include "util/WString.h"

class RecordReader;
class RecordWriter;

class ProfileManager {
public:
    static constexpr size_t kRecordSize = 52888;
    static constexpr int32_t kNumSlots = 10;

    // Ten free slots, then the file, then onCurrentProfileChanged.
    ProfileManager();
    // Saves the file.
    ~ProfileManager();
    ProfileManager(const ProfileManager&) = delete;
    ProfileManager& operator=(const ProfileManager&) = delete;

    // Reads the file when it passes every check (a rejected file is kept
    // aside as ".bad" and the slots stay as they were), then repairs
    // out-of-range values. False when no file was taken.
    bool load();
    // Writes the file (atomically); false when that failed (logged).
    bool save() const;
    // "Tumbrodemo.pro".
    static WString fileName();

    // Puts a fresh profile named `name` into the first free slot and makes it
    // current. Does nothing when all ten slots are taken.
    void addProfile(std::u16string_view name);
    // Removes slot `index`: the slots behind it move down one place and the
    // last becomes free. The current player stays current when another
    // profile is deleted; when the current one is deleted, current stays on
    // the slot (now the next player) or becomes 0 when that slot is free.
    void deleteProfile(int32_t index);
    // The number of named slots.
    int32_t countProfiles() const;
    // The name of slot `index` (empty for a free slot or an index outside 0..9).
    WString getProfileName(int32_t index) const;
    // Cuts the current profile's name to 16 wide characters and logs the change.
    void onCurrentProfileChanged();

    // The current slot (current is brought into 0..9 first).
    ProfileData& currentProfile();

    std::vector<uint8_t> serialize() const;
    // Reads a whole record (size must be 52888); false and nothing read otherwise.
    bool deserialize(const uint8_t* data, size_t size);
    // Brings values read from a file into their ranges; returns how many were
    // changed (each one is logged).
    int repairLoadedValues();

    // --- The record, in file order ---
    int32_t current = 0;  // index 0..9 of the current profile
    uint8_t pad4[4] = {};
    ProfileData slots[kNumSlots];

private:
    template <class R>
    friend std::vector<uint8_t> recordToBytes(const R& record);
    template <class R>
    friend bool recordFromBytes(R& record, const uint8_t* data, size_t size);
    void write(RecordWriter& out) const;
    void read(RecordReader& in);
};

static_assert(sizeof(ProfileManager) == ProfileManager::kRecordSize);
static_assert(offsetof(ProfileManager, slots) == 8);
