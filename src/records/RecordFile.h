#pragma once
// Loading and saving a whole record as a packed file in the per-user folder,
// checked against the program's version text. R has kRecordSize, fileName(),
// serialize(), deserialize(data, size) and repairLoadedValues().
#include <cstdint>
#include <vector>

#include "records/AppInfo.h"
#include "sys/FileManager.h"
#include "sys/Paths.h"
#include "util/WString.h"

// Reads the file into the record when every check passes and repairs what
// the file may hold out of range; the record stays as it was otherwise.
template <class R>
bool loadRecordFile(R& record) {
    std::vector<uint8_t> data(R::kRecordSize);
    const bool taken = FileManager::loadPackedFile(data.data(), data.size(), narrowToWide(getUserDataFolder()),
                                                   R::fileName(), AppInfo::versionText);
    if (taken) {
        record.deserialize(data.data(), data.size());
        record.repairLoadedValues();
    }
    return taken;
}

template <class R>
bool saveRecordFile(const R& record) {
    const std::vector<uint8_t> data = record.serialize();
    return FileManager::savePackedFile(data.data(), data.size(), narrowToWide(getUserDataFolder()), R::fileName(),
                                       AppInfo::versionText);
}
