#include "sys/ArchiveWriter.h"

#include <zlib.h>
#include <zopfli/zlib_container.h>
#include <zopfli/zopfli.h>
#include <algorithm>
#include <cerrno>
#include <thread>

#include "platform/AtomicFile.h"
#include "sys/Archive.h"
#include "sys/FileManager.h"

namespace {

// Formats that are compressed already: trying deflate on them only costs time.
bool isPrecompressed(std::string_view name) {
    static const char* const endings[] = {".ogg", ".jpg", ".jpeg", ".png", ".gz", ".zip", ".mp3"};
    for (const char* e : endings) {
        const std::string_view s(e);
        if (name.size() >= s.size() && name.substr(name.size() - s.size()) == s) return true;
    }
    return false;
}

struct Job {
    const uint8_t* raw = nullptr;
    size_t rawSize = 0;
    ByteBuffer loaded;  // the bytes of a disk entry
    std::vector<uint8_t> packed;
    bool compressed = false;
    uint32_t crc = 0;
    std::string error;
};

}  // namespace

std::vector<uint8_t> ArchiveWriter::compress(Method m, const void* data, size_t size) {
    std::vector<uint8_t> out;
    if (m == Method::Zopfli) {
        ZopfliOptions options;
        ZopfliInitOptions(&options);
        options.numiterations = 1;
        options.blocksplitting = 1;
        unsigned char* buffer = nullptr;
        size_t length = 0;
        ZopfliZlibCompress(&options, static_cast<const unsigned char*>(data), size, &buffer, &length);
        if (buffer) {
            out.assign(buffer, buffer + length);
            free(buffer);
        }
    } else if (m == Method::Zlib) {
        uLongf length = compressBound(static_cast<uLong>(size));
        out.resize(length);
        if (compress2(out.data(), &length, static_cast<const Bytef*>(data), static_cast<uLong>(size), 9) == Z_OK)
            out.resize(length);
        else out.clear();
    }
    return out;
}

ArchiveWriter::Item* ArchiveWriter::slot(std::string_view name) {
    std::string key = archive::normaliseName(name);
    if (!archive::isValidName(key)) return nullptr;
    auto it = byName.find(key);
    if (it != byName.end()) {
        Item& item = items[it->second];
        item = Item{};
        item.name = key;
        return &item;
    }
    byName.emplace(key, items.size());
    items.push_back(Item{});
    items.back().name = std::move(key);
    return &items.back();
}

bool ArchiveWriter::addData(std::string_view name, const void* data, size_t size) {
    if (size > UINT32_MAX) return false;
    Item* item = slot(name);
    if (!item) return false;
    item->bytes.assign(data, size);
    return true;
}

bool ArchiveWriter::addData(std::string_view name, ByteBuffer&& bytes) {
    if (bytes.size > UINT32_MAX) return false;
    Item* item = slot(name);
    if (!item) return false;
    item->bytes = std::move(bytes);
    return true;
}

bool ArchiveWriter::addFile(std::string_view name, const std::string& diskPath) {
    Item* item = slot(name);
    if (!item) return false;
    item->diskPath = diskPath;
    item->fromDisk = true;
    return true;
}

bool ArchiveWriter::contains(std::string_view name) const { return byName.count(archive::normaliseName(name)) != 0; }

std::vector<std::string> ArchiveWriter::names() const {
    std::vector<std::string> v;
    v.reserve(items.size());
    for (const Item& item : items) v.push_back(item.name);
    return v;
}

void ArchiveWriter::clear() {
    items.clear();
    byName.clear();
}

bool ArchiveWriter::write(const std::string& path, std::string* reason) {
    auto fail = [&](const std::string& why) {
        if (reason) *reason = why;
        return false;
    };

    std::vector<archive::Entry> entries(items.size());
    for (size_t i = 0; i < items.size(); ++i) entries[i].name = items[i].name;
    const uint64_t dirSize = archive::directorySize(entries);

    AtomicFile file;
    if (!file.open(path)) return fail(file.error());
    // The directory is written last, once the offsets and sizes are known.
    if (!file.write(std::vector<uint8_t>(static_cast<size_t>(dirSize)).data(), static_cast<size_t>(dirSize)))
        return fail(file.error());

    unsigned workers = threads ? threads : std::max(1u, std::thread::hardware_concurrency());
    uint64_t rawTotal = 0, storedTotal = 0;

    for (size_t first = 0; first < items.size(); first += workers) {
        const size_t count = std::min<size_t>(workers, items.size() - first);
        std::vector<Job> jobs(count);
        auto run = [&](size_t k) {
            const Item& item = items[first + k];
            Job& job = jobs[k];
            if (item.fromDisk) {
                int err = 0;
                // The limit of an entry is that of every loose file: a larger
                // one is refused before anything is allocated for it.
                if (!FileManager::readDiskFile(item.diskPath, job.loaded, &err)) {
                    job.error = err == EFBIG
                                    ? "'" + item.diskPath + "' is too large for an archive"
                                    : "cannot read '" + item.diskPath + "' (errno " + std::to_string(err) + ")";
                    return;
                }
                job.raw = job.loaded.data;
                job.rawSize = job.loaded.size;
            } else {
                job.raw = item.bytes.data;
                job.rawSize = item.bytes.size;
            }
            job.crc = archive::crc32Of(job.raw, job.rawSize);
            if (method != Method::Store && job.rawSize > 0 && !isPrecompressed(item.name)) {
                job.packed = compress(method, job.raw, job.rawSize);
                job.compressed = !job.packed.empty() && job.packed.size() < job.rawSize;
            }
            if (!job.compressed) job.packed = {};
        };
        if (count == 1) {
            run(0);
        } else {
            std::vector<std::thread> pool;
            pool.reserve(count);
            for (size_t k = 0; k < count; ++k) pool.emplace_back(run, k);
            for (std::thread& t : pool) t.join();
        }
        for (size_t k = 0; k < count; ++k) {
            Job& job = jobs[k];
            if (!job.error.empty()) return fail(job.error);
            archive::Entry& e = entries[first + k];
            e.offset = file.position();
            e.rawSize = static_cast<uint32_t>(job.rawSize);
            e.crc = job.crc;
            e.compressed = job.compressed;
            const bool ok =
                job.compressed ? file.write(job.packed.data(), job.packed.size()) : file.write(job.raw, job.rawSize);
            if (!ok) return fail(file.error());
            e.storedSize = static_cast<uint32_t>(file.position() - e.offset);
            rawTotal += e.rawSize;
            storedTotal += e.storedSize;
        }
    }

    const std::vector<uint8_t> dir = archive::encodeDirectory(entries);
    if (!file.writeAt(0, dir.data(), dir.size()) || !file.commit()) return fail(file.error());
    rawBytes = rawTotal;
    storedBytes = storedTotal;
    return true;
}
