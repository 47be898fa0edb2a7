// zwad: packs, lists and extracts the program's data archives with the same
// reader and writer the engine uses.
//
//   zwad list ARCHIVE
//   zwad pack [--zlib | --store] [--threads N] ARCHIVE DIR
//   zwad extract ARCHIVE DIR
//
// pack stores every regular file under DIR, named by its path relative to
// DIR (normalised: lower case, '/'), in sorted order; compression is zopfli
// unless --zlib (level 9, much faster) or --store is given. extract checks
// every entry (size and CRC) and writes it under DIR.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "sys/Archive.h"
#include "sys/ArchiveReader.h"
#include "sys/ArchiveWriter.h"

namespace fs = std::filesystem;

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: zwad list ARCHIVE\n"
                 "       zwad pack [--zlib | --store] [--threads N] ARCHIVE DIR\n"
                 "       zwad extract ARCHIVE DIR\n");
    return 2;
}

bool openArchive(ArchiveReader& reader, const std::string& path) {
    std::string reason;
    if (reader.tryOpen(path, reason)) return true;
    std::fprintf(stderr, "zwad: %s: %s\n", path.c_str(), reason.c_str());
    return false;
}

int list(const std::string& path) {
    ArchiveReader reader;
    if (!openArchive(reader, path)) return 1;
    unsigned long long raw = 0, stored = 0;
    for (const archive::Entry& e : reader.entries()) {
        std::printf("%10u %10u %s %08x %s\n", e.rawSize, e.storedSize, e.compressed ? "z" : "-", e.crc, e.name.c_str());
        raw += e.rawSize;
        stored += e.storedSize;
    }
    std::printf("%zu entries, %llu bytes, %llu stored (%.1f%%)\n", reader.entries().size(), raw, stored,
                raw ? 100.0 * static_cast<double>(stored) / static_cast<double>(raw) : 100.0);
    return 0;
}

int pack(const std::string& path, const std::string& folder, ArchiveWriter::Method method, unsigned threads) {
    std::error_code ec;
    std::vector<std::pair<std::string, std::string>> files;  // name, disk path
    fs::recursive_directory_iterator it(folder, ec), end;
    if (ec) {
        std::fprintf(stderr, "zwad: %s: %s\n", folder.c_str(), ec.message().c_str());
        return 1;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) {
            std::fprintf(stderr, "zwad: %s: %s\n", folder.c_str(), ec.message().c_str());
            return 1;
        }
        if (!it->is_regular_file(ec)) continue;
        const std::string relative = fs::relative(it->path(), folder, ec).generic_string();
        if (ec) continue;
        files.emplace_back(archive::normaliseName(relative), it->path().string());
    }
    std::sort(files.begin(), files.end());
    ArchiveWriter writer(method);
    writer.threads = threads;
    for (size_t i = 0; i < files.size(); ++i) {
        if (i > 0 && files[i].first == files[i - 1].first) {
            std::fprintf(stderr, "zwad: '%s' and '%s' have the same name in an archive\n", files[i - 1].second.c_str(),
                         files[i].second.c_str());
            return 1;
        }
        if (!writer.addFile(files[i].first, files[i].second)) {
            std::fprintf(stderr, "zwad: '%s' cannot be named in an archive\n", files[i].second.c_str());
            return 1;
        }
    }
    std::string reason;
    if (!writer.write(path, &reason)) {
        std::fprintf(stderr, "zwad: %s: %s\n", path.c_str(), reason.c_str());
        return 1;
    }
    std::printf("%zu entries, %llu bytes, %llu stored\n", writer.entryCount(),
                static_cast<unsigned long long>(writer.rawBytes), static_cast<unsigned long long>(writer.storedBytes));
    return 0;
}

int extract(const std::string& path, const std::string& folder) {
    ArchiveReader reader;
    if (!openArchive(reader, path)) return 1;
    int failures = 0;
    for (size_t i = 0; i < reader.entries().size(); ++i) {
        // Names are checked by the reader: relative, no "..", so they stay inside the folder.
        const archive::Entry& e = reader.entries()[i];
        ByteBuffer bytes;
        std::string reason;
        if (!reader.tryRead(static_cast<int>(i), bytes, reason)) {
            std::fprintf(stderr, "zwad: %s: %s\n", path.c_str(), reason.c_str());
            ++failures;
            continue;
        }
        const fs::path target = fs::path(folder) / e.name;
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (!AtomicFile::writeAll(target.string(), bytes.data, bytes.size, &reason)) {
            std::fprintf(stderr, "zwad: %s\n", reason.c_str());
            ++failures;
        }
    }
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    const std::string command = args[0];
    args.erase(args.begin());
    if (command == "list" && args.size() == 1) return list(args[0]);
    if (command == "extract" && args.size() == 2) return extract(args[0], args[1]);
    if (command == "pack") {
        ArchiveWriter::Method method = ArchiveWriter::Method::Zopfli;
        unsigned threads = 0;
        std::vector<std::string> rest;
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i] == "--zlib") {
                method = ArchiveWriter::Method::Zlib;
            } else if (args[i] == "--store") {
                method = ArchiveWriter::Method::Store;
            } else if (args[i] == "--threads" && i + 1 < args.size()) {
                threads = static_cast<unsigned>(std::strtoul(args[++i].c_str(), nullptr, 10));
            } else {
                rest.push_back(args[i]);
            }
        }
        if (rest.size() == 2) return pack(rest[0], rest[1], method, threads);
    }
    return usage();
}
