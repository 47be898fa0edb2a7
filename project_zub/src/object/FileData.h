#pragma once
// The bytes of one file, loaded whole through the active FileManager (from an
// archive or the disk). Flag 0 loads at once. FLAG_DELAYED (1), while the
// manager's bEnableDelayedLoad is on, only checks that the file exists and
// loads it on first use (data() or size()). In archive-creation mode the file
// is always loaded at once, so that it is recorded into the current archive.
// A missing file is a fatal error: files named by the program ship with it.
#include <cstddef>
#include <cstdint>

#include "object/ZubBase.h"
#include "sys/ByteBuffer.h"
#include "util/WString.h"

class FileData : public ZubBase {
    ZUB_DECLARE_CLASS(FileData)
public:
    enum : int { FLAG_DELAYED = 1 };

    FileData() = default;
    FileData(int flags, std::u16string_view fileName);
    ~FileData() override;

    // The bytes; loads them first when the load was delayed or purged.
    const uint8_t* data() const;
    size_t size() const;
    std::string_view view() const;

    bool isLoaded() const { return loaded; }
    // Loads now if not loaded yet.
    void load() const;
    // Frees the bytes; the next use loads them again.
    void purge();

    const WString& getFileName() const { return fileName; }
    int getFlags() const { return flags; }

protected:
    int flags = 0;
    WString fileName;
    mutable ByteBuffer bytes;
    mutable bool loaded = false;
};
