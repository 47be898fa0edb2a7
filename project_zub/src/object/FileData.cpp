#include "object/FileData.h"

#include <utility>

#include "sys/ErrorManager.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"

ZUB_IMPLEMENT_NAMED_CLASS(FileData, ZubBase, u"FileData")

namespace {
FileManager& manager(const WString& fileName) {
    FileManager* fm = FileManager::active();
    if (!fm) ZUB_ERROR(u"No file manager to read '%s'.", escapeForLog(fileName));
    return *fm;
}
}  // namespace

FileData::FileData(int f, std::u16string_view name) : flags(f), fileName(name) {
    FileManager& fm = manager(fileName);
    if ((flags & FLAG_DELAYED) && fm.bEnableDelayedLoad && !fm.bCreateWad) {
        if (!fm.fileExists(fileName)) ZUB_ERROR(u"Could not find file '%s'.", escapeForLog(fileName));
        return;
    }
    load();
}

FileData::~FileData() = default;

void FileData::load() const {
    if (loaded || fileName.empty()) return;
    if (!manager(fileName).loadFile(fileName, bytes)) ZUB_ERROR(u"Could not read file '%s'.", escapeForLog(fileName));
    loaded = true;
}

void FileData::purge() {
    bytes.clear();
    loaded = false;
}

const uint8_t* FileData::data() const {
    load();
    return bytes.data;
}

size_t FileData::size() const {
    load();
    return bytes.size;
}

std::string_view FileData::view() const {
    load();
    return bytes.view();
}
