#include <gtest/gtest.h>

#include <sys/stat.h>
#include <zlib.h>
#include <cstring>
#include <string>
#include <vector>

#include "project_zub/sys/files_test_support.h"
#include "sys/Archive.h"
#include "sys/ArchiveReader.h"
#include "sys/ArchiveWriter.h"
#include "sys/StoredBytes.h"

using namespace filestest;

namespace {

std::string entryText(const ArchiveReader& reader, std::string_view name) {
    const int i = reader.find(name);
    EXPECT_GE(i, 0) << name;
    if (i < 0) return {};
    return std::string(reader.read(i).view());
}

// A small valid archive in memory, for the corruption tests.
std::vector<uint8_t> sampleArchive(const TempFolder& dir) {
    ArchiveWriter w(ArchiveWriter::Method::Zlib);
    w.addData("gfx/a.tga", textContent(3000, 1).data(), 3000);
    w.addData("sfx/b.ogg", noiseContent(500, 2).data(), 500);
    w.addData("levels/c.lev", textContent(10, 3).data(), 10);
    EXPECT_TRUE(w.write(dir / "sample.dat"));
    const std::string s = readBytes(dir / "sample.dat");
    return std::vector<uint8_t>(s.begin(), s.end());
}

// The directory of an archive held in memory (empty when it does not parse).
archive::Directory directoryOf(const std::vector<uint8_t>& v) {
    archive::Directory d;
    std::string reason;
    EXPECT_TRUE(archive::parseDirectory(v.data(), v.size(), d, reason)) << reason;
    return d;
}

void putU32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

void putU64(std::vector<uint8_t>& v, size_t at, uint64_t x) {
    for (int i = 0; i < 8; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// Offset of the first entry's fields after its name ("gfx/a.tga", 9 bytes).
constexpr size_t kFirstName = archive::kHeaderSize + 2;
constexpr size_t kFirstFields = kFirstName + 9;

}  // namespace

TEST(FilesArchive, NamesAreNormalised) {
    EXPECT_EQ(archive::normaliseName("./gfx\\GUI//Game/HorizontalRuler.TGA"), "gfx/gui/game/horizontalruler.tga");
    EXPECT_EQ(archive::normaliseName("././levels/./a1.lev"), "levels/a1.lev");
    EXPECT_EQ(archive::normaliseName("/abs/x"), "abs/x");
    EXPECT_TRUE(archive::isValidName("gfx/a.tga"));
    EXPECT_FALSE(archive::isValidName(""));
    EXPECT_FALSE(archive::isValidName("gfx/../../etc/passwd"));
    for (const std::string& bad : {std::string(".."), std::string("Gfx/a.tga"), std::string("/gfx/a.tga"),
                                   std::string("a\0b", 3), std::string(archive::kMaxNameLength + 1, 'a')})
        EXPECT_FALSE(archive::isValidName(bad)) << bad;
}

TEST(FilesArchive, EveryMethodRoundTrips) {
    TempFolder dir;
    const std::string text = textContent(200000, 7);
    const std::string noise = noiseContent(70000, 8);
    for (auto method : {ArchiveWriter::Method::Zopfli, ArchiveWriter::Method::Zlib, ArchiveWriter::Method::Store}) {
        ArchiveWriter w(method);
        w.threads = 3;
        ASSERT_TRUE(w.addData("Text/Story.TXT", text.data(), text.size()));
        ASSERT_TRUE(w.addData("noise.bin", noise.data(), noise.size()));
        ASSERT_TRUE(w.addData("empty", "", 0));
        ASSERT_TRUE(w.addData("music/loop.ogg", text.data(), 5000));  // compressible, but kept raw
        writeBytes(dir / "disk/level.lev", "level data");
        ASSERT_TRUE(w.addFile("./levels\\A1.lev", dir / "disk/level.lev"));
        const std::string path = dir / "m.dat";
        std::string reason;
        ASSERT_TRUE(w.write(path, &reason)) << reason;
        EXPECT_TRUE(temporariesIn(dir.path()).empty());

        ArchiveReader r;
        ASSERT_TRUE(r.tryOpen(path, reason)) << reason;
        ASSERT_EQ(r.entries().size(), 5u);
        // Entries keep the order they were added in.
        EXPECT_EQ(r.entries()[0].name, "text/story.txt");
        EXPECT_EQ(r.entries()[4].name, "levels/a1.lev");
        EXPECT_EQ(entryText(r, "TEXT/story.txt"), text);
        EXPECT_EQ(entryText(r, "noise.bin"), noise);
        EXPECT_EQ(entryText(r, "empty"), "");
        EXPECT_EQ(entryText(r, "music/loop.ogg"), text.substr(0, 5000));
        EXPECT_EQ(entryText(r, "levels/a1.lev"), "level data");
        EXPECT_EQ(r.find("missing"), -1);

        const auto& e = r.entries();
        const bool compressing = method != ArchiveWriter::Method::Store;
        EXPECT_EQ(e[0].compressed, compressing);
        if (compressing) {
            EXPECT_LT(e[0].storedSize, text.size() / 3);
        }
        // Noise does not compress, and already compressed formats are not tried.
        EXPECT_FALSE(e[1].compressed);
        EXPECT_EQ(e[1].storedSize, noise.size());
        EXPECT_FALSE(e[2].compressed);
        EXPECT_FALSE(e[3].compressed);
        EXPECT_EQ(w.rawBytes, text.size() + noise.size() + 5000 + 10);
    }
}

TEST(FilesArchive, LaterEntryWithSameNameReplacesEarlierAndBadNamesAreRefused) {
    TempFolder dir;
    ArchiveWriter w;
    w.addData("a.txt", "one", 3);
    w.addData("A.TXT", "two", 3);
    for (const char* bad : {"../outside", "./", ""}) EXPECT_FALSE(w.addData(bad, "x", 1)) << bad;
    EXPECT_EQ(w.entryCount(), 1u);
    ASSERT_TRUE(w.write(dir / "x.dat"));
    ArchiveReader r;
    r.open(dir / "x.dat");
    EXPECT_EQ(entryText(r, "a.txt"), "two");
}

TEST(FilesArchive, FailedWriteKeepsOldArchive) {
    TempFolder dir;
    ArchiveWriter good;
    good.addData("a", "old", 3);
    ASSERT_TRUE(good.write(dir / "w.dat"));

    // A source file that has gone missing by the time the archive is written.
    ArchiveWriter missing;
    missing.addData("a", "new", 3);
    missing.addFile("b", dir / "no-such-file");
    std::string reason;
    EXPECT_FALSE(missing.write(dir / "w.dat", &reason));
    EXPECT_NE(reason.find("no-such-file"), std::string::npos) << reason;
    EXPECT_TRUE(temporariesIn(dir.path()).empty());

    // The disk fills up while writing.
    ArchiveWriter full;
    full.addData("a", "new", 3);
    {
        const DiskFullAfter diskFull(8);
        EXPECT_FALSE(full.write(dir / "w.dat", &reason));
    }
    EXPECT_TRUE(temporariesIn(dir.path()).empty());

    ArchiveReader r;
    r.open(dir / "w.dat");
    EXPECT_EQ(entryText(r, "a"), "old");
}

TEST(FilesArchive, ParserAcceptsWrittenArchivesAndRejectsEveryCorruption) {
    TempFolder dir;
    const std::vector<uint8_t> good = sampleArchive(dir);
    {
        archive::Directory d;
        std::string reason;
        ASSERT_TRUE(archive::parseDirectory(good.data(), good.size(), d, reason)) << reason;
        EXPECT_EQ(d.entries[0].offset, d.dataStart);
        // A prefix of the file asks for more, the whole file in a shorter buffer is corrupt.
        EXPECT_EQ(archive::parseDirectory(good.data(), 20, good.size(), d, reason), archive::ParseResult::NeedMore);
        EXPECT_EQ(archive::parseDirectory(good.data(), 20, 20, d, reason), archive::ParseResult::Corrupt);
    }
    struct Case {
        const char* what;
        void (*damage)(std::vector<uint8_t>&);
        const char* reason;
    };
    const Case cases[] = {
        {"magic", [](std::vector<uint8_t>& v) { v[0] = 'X'; }, "magic"},
        {"version", [](std::vector<uint8_t>& v) { putU32(v, 4, 2); }, "version"},
        {"count", [](std::vector<uint8_t>& v) { putU32(v, 8, 0xFFFFFFFFu); }, "count"},
        {"count+1", [](std::vector<uint8_t>& v) { putU32(v, 8, 4); }, "name"},
        {"name length 0",
         [](std::vector<uint8_t>& v) {
             v[12] = 0;
             v[13] = 0;
         },
         "name length"},
        {"name length huge",
         [](std::vector<uint8_t>& v) {
             v[12] = 0xFF;
             v[13] = 0xFF;
         },
         "name length"},
        {"upper case name", [](std::vector<uint8_t>& v) { v[kFirstName] = 'G'; }, "bad name"},
        {"escaping name", [](std::vector<uint8_t>& v) { std::memcpy(&v[kFirstName], "../a.tga/", 9); }, "bad name"},
        {"offset past end", [](std::vector<uint8_t>& v) { putU64(v, kFirstFields, v.size() + 1); }, "outside"},
        {"offset overflow", [](std::vector<uint8_t>& v) { putU64(v, kFirstFields, ~0ull - 5); }, "outside"},
        {"size past end", [](std::vector<uint8_t>& v) { putU32(v, kFirstFields + 8, 0xFFFFFFF0u); }, "outside"},
        {"offset in directory", [](std::vector<uint8_t>& v) { putU64(v, kFirstFields, 4); }, "overlaps"},
        {"flag", [](std::vector<uint8_t>& v) { v[kFirstFields + 20] = 2; }, "flag"},
        {"raw size of compressed entry", [](std::vector<uint8_t>& v) { putU32(v, kFirstFields + 12, 0xFFFFFFFFu); },
         "sizes"},
        {"stored entry sizes differ",
         [](std::vector<uint8_t>& v) {
             v[kFirstFields + 20] = 0;
             putU32(v, kFirstFields + 12, 1);
         },
         "sizes"},
        {"duplicate", [](std::vector<uint8_t>& v) { std::memcpy(&v[kFirstName + 9 + 21 + 2], "gfx/a.tga", 9); },
         "duplicate"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> v = good;
        c.damage(v);
        archive::Directory d;
        std::string reason;
        EXPECT_FALSE(archive::parseDirectory(v.data(), v.size(), d, reason)) << c.what;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
    }
    // Every truncation is refused, none reads past the end (ASan checks that).
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> v(good.begin(), good.begin() + static_cast<long>(n));
        archive::Directory d;
        std::string reason;
        const bool ok = archive::parseDirectory(v.data(), v.size(), d, reason);
        // Cutting only data makes the last entry lie outside the file.
        EXPECT_FALSE(ok) << n;
    }
}

TEST(FilesArchive, ReaderGrowsItsViewForLargeDirectories) {
    TempFolder dir;
    ArchiveWriter w(ArchiveWriter::Method::Store);
    // About 300 KiB of directory: more than the first read.
    for (int i = 0; i < 3000; ++i) {
        const std::string name = "gfx/some/deep/folder/for/a/long/name/number-" + std::to_string(i) + ".tga";
        w.addData(name, name.data(), name.size());
    }
    ASSERT_TRUE(w.write(dir / "big.dat"));
    ArchiveReader r;
    std::string reason;
    ASSERT_TRUE(r.tryOpen(dir / "big.dat", reason)) << reason;
    EXPECT_EQ(r.entries().size(), 3000u);
    EXPECT_EQ(entryText(r, "gfx/some/deep/folder/for/a/long/name/number-2999.tga"),
              "gfx/some/deep/folder/for/a/long/name/number-2999.tga");
}

TEST(FilesArchiveDeath, MissingTruncatedOrDamagedArchivesAreFatal) {
    TempFolder dir;
    std::vector<uint8_t> v = sampleArchive(dir);
    writeBytes(dir / "cut.dat", std::string(v.begin(), v.end() - 100));
    archive::Directory d;
    std::string reason;
    ASSERT_TRUE(archive::parseDirectory(v.data(), v.size(), d, reason));
    // The zlib header of the compressed text entry and the last byte of the
    // raw noise entry.
    ASSERT_TRUE(d.entries[0].compressed);
    v[d.entries[0].offset + 1] ^= 0x01;
    v[d.entries[1].offset + d.entries[1].storedSize - 1] ^= 0x01;
    writeBytes(dir / "bad.dat", std::string(v.begin(), v.end()));
    TestMode mode;
    ArchiveReader r;
    EXPECT_EXIT(r.open(dir / "none.dat"), ::testing::ExitedWithCode(255),
                "Archive '.*none.dat' is unusable: cannot open \\(errno 2");
    EXPECT_EXIT(r.open(dir / "cut.dat"), ::testing::ExitedWithCode(255),
                "Archive '.*cut.dat' is unusable: entry '.*' lies outside the file");
    r.open(dir / "bad.dat");  // the directory itself is fine
    ByteBuffer out;
    EXPECT_FALSE(r.tryRead(0, out, reason));
    EXPECT_NE(reason.find("zlib header"), std::string::npos) << reason;
    EXPECT_TRUE(r.tryRead(2, out, reason));
    EXPECT_EXIT(r.read(1), ::testing::ExitedWithCode(255),
                "Archive '.*bad.dat' is corrupt: entry 'sfx/b.ogg' fails its CRC check");
}

// The CRC-32 the reader checks and the writer stores is zlib's, whatever
// computes it: every length around the sizes where a CRC routine changes its
// stride, at every alignment.
TEST(FilesArchive, CrcIsZlibsAtEverySizeAndAlignment) {
    const std::string data = noiseContent(5000, 11);
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.data());
    EXPECT_EQ(archive::crc32Of(nullptr, 0), 0u);
    for (size_t size : {size_t(1), size_t(3), size_t(15), size_t(16), size_t(17), size_t(63), size_t(64), size_t(65),
                        size_t(255), size_t(256), size_t(257), size_t(1023), size_t(4096), size_t(4990)})
        for (size_t at = 0; at < 8; ++at)
            EXPECT_EQ(archive::crc32Of(bytes + at, size), static_cast<uint32_t>(crc32_z(0, bytes + at, size)))
                << size << " at " << at;
}

// A compressed entry is refused when its stream is damaged anywhere: in the
// deflate data, in its Adler-32, cut short, or when it gives more or fewer
// bytes than the directory says; each names the entry. Bytes after the
// stream's end are not read.
TEST(FilesArchive, DamagedStreamsAreRefusedByName) {
    TempFolder dir;
    const std::vector<uint8_t> good = sampleArchive(dir);
    archive::Directory d;
    std::string reason;
    ASSERT_TRUE(archive::parseDirectory(good.data(), good.size(), d, reason)) << reason;
    const archive::Entry& text = d.entries[0];
    ASSERT_TRUE(text.compressed);
    ByteBuffer raw;
    ASSERT_TRUE(archive::unpack(text, good.data() + text.offset, raw, reason)) << reason;
    EXPECT_EQ(raw.view(), textContent(3000, 1));
    EXPECT_TRUE(archive::checkCrc(text, raw, reason));

    struct Case {
        const char* what;
        size_t at;         // the byte of the stream flipped (past the end: none)
        int64_t rawDelta;  // change of the declared raw size
        int64_t storedDelta;
    };
    const size_t n = text.storedSize;
    const Case cases[] = {
        {"deflate data", 2, 0, 0},
        {"deflate data, middle", n / 2, 0, 0},
        {"Adler-32", n - 1, 0, 0},
        {"raw size one more", n, 1, 0},
        {"raw size one less", n, -1, 0},
        {"cut inside the Adler-32", n, 0, -2},
        {"cut inside the data", n, 0, -static_cast<int64_t>(n / 2)},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> v = good;
        if (c.at < n) v[text.offset + c.at] ^= 0x10;
        archive::Entry e = text;
        e.rawSize = static_cast<uint32_t>(e.rawSize + c.rawDelta);
        e.storedSize = static_cast<uint32_t>(e.storedSize + c.storedDelta);
        ByteBuffer out;
        reason.clear();
        EXPECT_FALSE(archive::unpack(e, v.data() + e.offset, out, reason)) << c.what;
        EXPECT_NE(reason.find("entry 'gfx/a.tga' does not unpack"), std::string::npos) << c.what << ": " << reason;
    }
    // Whatever follows the stream is not part of it.
    std::vector<uint8_t> v(good.begin() + static_cast<long>(text.offset),
                           good.begin() + static_cast<long>(text.offset + n));
    v.insert(v.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    archive::Entry longer = text;
    longer.storedSize += 4;
    ByteBuffer out;
    EXPECT_TRUE(archive::unpack(longer, v.data(), out, reason)) << reason;
    EXPECT_EQ(out.view(), textContent(3000, 1));
}

// Through the reader, a damaged stream is fatal with the archive's and the
// entry's names, as a CRC mismatch is.
TEST(FilesArchiveDeath, DamagedStreamIsFatalThroughTheReader) {
    TempFolder dir;
    std::vector<uint8_t> v = sampleArchive(dir);
    archive::Directory d;
    std::string reason;
    ASSERT_TRUE(archive::parseDirectory(v.data(), v.size(), d, reason));
    v[d.entries[0].offset + d.entries[0].storedSize / 2] ^= 0x10;
    writeBytes(dir / "bad.dat", std::string(v.begin(), v.end()));
    TestMode mode;
    ArchiveReader r;
    r.open(dir / "bad.dat");
    ByteBuffer other;
    EXPECT_TRUE(r.tryRead(1, other, reason)) << reason;
    EXPECT_EXIT(r.read(0), ::testing::ExitedWithCode(255),
                "Archive '.*bad.dat' is corrupt: entry 'gfx/a.tga' does not unpack");
}

// The first bytes of an entry come from the start of its stream alone: they
// equal the unpacked entry's first bytes at every length, and damage further
// on is found only when the whole entry is unpacked.
TEST(FilesArchive, AnEntrysFirstBytesUnpackWithoutTheRest) {
    TempFolder dir;
    const std::vector<uint8_t> good = sampleArchive(dir);
    const archive::Directory d = directoryOf(good);
    ASSERT_EQ(d.entries.size(), 3u);
    const archive::Entry& text = d.entries[0];
    const std::string whole = textContent(3000, 1);
    std::string reason;
    std::vector<uint8_t> head;
    for (size_t count :
         {size_t(0), size_t(1), size_t(18), size_t(64), size_t(1024), size_t(2999), size_t(3000), size_t(1) << 20}) {
        ASSERT_TRUE(archive::unpackHead(text, good.data() + text.offset, count, head, reason)) << count << reason;
        EXPECT_EQ(std::string(head.begin(), head.end()), whole.substr(0, count)) << count;
    }

    // The stream's end damaged (its checksum): the head still unpacks, the
    // entry does not.
    std::vector<uint8_t> v = good;
    v[text.offset + text.storedSize - 1] ^= 0x10;
    ASSERT_TRUE(archive::unpackHead(text, v.data() + text.offset, 64, head, reason)) << reason;
    EXPECT_EQ(std::string(head.begin(), head.end()), whole.substr(0, 64));
    ByteBuffer raw;
    EXPECT_FALSE(archive::unpack(text, v.data() + text.offset, raw, reason));

    // A bad header, a stream cut short of the head, and damage at its start.
    v = good;
    v[text.offset] = 0x00;
    EXPECT_FALSE(archive::unpackHead(text, v.data() + text.offset, 64, head, reason));
    EXPECT_NE(reason.find("bad zlib header"), std::string::npos) << reason;
    archive::Entry cut = text;
    cut.storedSize = 8;
    EXPECT_FALSE(archive::unpackHead(cut, good.data() + cut.offset, 3000, head, reason));
    EXPECT_NE(reason.find("entry 'gfx/a.tga' does not unpack"), std::string::npos) << reason;
    EXPECT_TRUE(head.empty());
    v = good;
    v[text.offset + 2] ^= 0xFF;
    EXPECT_FALSE(archive::unpackHead(text, v.data() + text.offset, 3000, head, reason));
}

// Stored bytes keep a compressed entry packed until they are taken; the
// reader checks at once what it can check cheaply, and the rest when the
// entry is taken, with the reader's message.
TEST(FilesArchiveDeath, StoredEntriesAreCheckedWhenTaken) {
    TempFolder dir;
    std::vector<uint8_t> v = sampleArchive(dir);
    const archive::Directory d = directoryOf(v);
    ASSERT_EQ(d.entries.size(), 3u);
    std::string reason;
    writeBytes(dir / "good.dat", std::string(v.begin(), v.end()));
    {
        ArchiveReader r;
        r.open(dir / "good.dat");
        StoredBytes text = r.readStored(0);
        EXPECT_TRUE(text.isPacked());
        EXPECT_EQ(text.size(), 3000u);
        EXPECT_EQ(text.head(10), textContent(3000, 1).substr(0, 10));
        EXPECT_EQ(text.take().view(), textContent(3000, 1));
        EXPECT_TRUE(text.empty());
        StoredBytes noise = r.readStored(1);
        EXPECT_EQ(noise.head(1000), noiseContent(500, 2));
        EXPECT_EQ(noise.take().view(), noiseContent(500, 2));
    }
    // The end of the first entry's stream damaged: read packed without a
    // word, fatal when taken.
    v[d.entries[0].offset + d.entries[0].storedSize - 2] ^= 0x10;
    writeBytes(dir / "bad.dat", std::string(v.begin(), v.end()));
    TestMode mode;
    ArchiveReader r;
    r.open(dir / "bad.dat");
    StoredBytes text = r.readStored(0);
    EXPECT_EQ(text.head(10), textContent(3000, 1).substr(0, 10));
    EXPECT_EXIT(text.take(), ::testing::ExitedWithCode(255),
                "Archive '.*bad.dat' is corrupt: entry 'gfx/a.tga' does not unpack");
    ByteBuffer out;
    EXPECT_FALSE(r.readStored(0).tryTake(out, reason));
    EXPECT_TRUE(out.empty());
}
