#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "platform/PlatformSystem.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/FileManager.h"
#include "sys/Logger.h"
#include "sys/PackedFile.h"
#include "util/Md5.h"

using namespace filestest;

namespace {

constexpr size_t kRecordSize = 9720;

std::array<uint8_t, kRecordSize> record(uint8_t seed) {
    std::array<uint8_t, kRecordSize> r{};
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>((i * 7 + seed) % 251);
    return r;
}

class FilesPacked : public ::testing::Test {
protected:
    WString folder() const { return narrowToWide(dir.path()); }
    std::string file() const { return dir / "Tumbrodemo.hst"; }

    bool save(const std::array<uint8_t, kRecordSize>& r, const WString& version = u"1.25") {
        return FileManager::savePackedFile(r.data(), r.size(), folder(), u"Tumbrodemo.hst", version);
    }

    // Loads into a destination filled with 0xEE and checks that a refused
    // load leaves every byte of it alone.
    bool loadChecked(size_t size = kRecordSize) {
        std::vector<uint8_t> dest(size, 0xEE);
        const bool ok = FileManager::loadPackedFile(dest.data(), size, folder(), u"Tumbrodemo.hst", u"1.25");
        if (ok) {
            loaded.assign(dest.begin(), dest.end());
        } else {
            EXPECT_EQ(dest, std::vector<uint8_t>(size, 0xEE));
        }
        return ok;
    }

    // A refused file is gone from its place and kept as ".bad" with its bytes.
    void expectSetAside(const std::string& bytes, const char* reason) {
        EXPECT_FALSE(loadChecked()) << reason;
        EXPECT_FALSE(fs::exists(file())) << reason;
        EXPECT_EQ(readBytes(file() + ".bad"), bytes) << reason;
        bool logged = false;
        for (const WString& line : Logger::get().history())
            logged |= line.find(narrowToWide(reason)) != WString::npos && line.find(u".bad") != WString::npos;
        EXPECT_TRUE(logged) << reason;
        fs::remove(file() + ".bad");
    }

    TempFolder dir;
    std::vector<uint8_t> loaded;
};

}  // namespace

TEST_F(FilesPacked, RoundTrip) {
    const auto r = record(1);
    ASSERT_TRUE(save(r));
    EXPECT_TRUE(temporariesIn(dir.path()).empty());
    ASSERT_TRUE(loadChecked());
    EXPECT_EQ(loaded, std::vector<uint8_t>(r.begin(), r.end()));
    // Saving again replaces the file.
    const auto r2 = record(2);
    ASSERT_TRUE(save(r2));
    ASSERT_TRUE(loadChecked());
    EXPECT_EQ(loaded, std::vector<uint8_t>(r2.begin(), r2.end()));
}

TEST_F(FilesPacked, HeaderLayout) {
    const auto r = record(3);
    ASSERT_TRUE(save(r));
    const std::string f = readBytes(file());
    ASSERT_GE(f.size(), packedfile::kHeaderSize);
    EXPECT_EQ(std::string(f.data(), 32), std::string("Tumbrodemo.hst") + std::string(18, '\0'));
    EXPECT_EQ(std::string(f.data() + 32, 16), std::string("1.25") + std::string(12, '\0'));
    auto u32 = [&](size_t at) {
        uint32_t x;
        std::memcpy(&x, f.data() + at, 4);
        return x;
    };
    EXPECT_EQ(u32(48), kRecordSize);
    EXPECT_EQ(u32(52), f.size() - 72);
    uint8_t seal[16];
    md5DigestWithPrefix(0x3C5A9E17, r.data(), r.size(), seal);
    EXPECT_EQ(std::memcmp(f.data() + 56, seal, 16), 0);
    EXPECT_EQ(static_cast<uint8_t>(f[72]), 0x78);  // a zlib stream follows
}

TEST_F(FilesPacked, MissingFileIsNotSetAside) {
    EXPECT_FALSE(loadChecked());
    EXPECT_FALSE(fs::exists(file() + ".bad"));
}

TEST_F(FilesPacked, RejectedFilesAreSetAside) {
    const auto r = record(4);
    ASSERT_TRUE(save(r));
    const std::string good = readBytes(file());

    // Another file's content under this name.
    ASSERT_TRUE(FileManager::savePackedFile(r.data(), r.size(), folder(), u"Tumbrodemo.pro", u"1.25"));
    const std::string other = readBytes(dir / "Tumbrodemo.pro");
    writeBytes(file(), other);
    expectSetAside(other, "wrong name");

    // An older version.
    ASSERT_TRUE(save(r, u"1.24"));
    expectSetAside(readBytes(file()), "wrong version");

    // A record of another size.
    writeBytes(file(), good);
    EXPECT_FALSE(loadChecked(kRecordSize - 1));
    EXPECT_EQ(readBytes(file() + ".bad"), good);
    fs::remove(file() + ".bad");

    // The seal does not match the data.
    std::string f = good;
    f[60] ^= 1;
    writeBytes(file(), f);
    expectSetAside(f, "seal mismatch");

    // The data was changed and resealed by someone without the salt: the
    // stream is valid but the seal is not.
    {
        auto changed = r;
        changed[100] ^= 0xFF;
        const std::vector<uint8_t> img = packedfile::pack(changed.data(), changed.size(), u"Tumbrodemo.hst", u"1.25");
        std::string forged(img.begin(), img.end());
        std::memcpy(&forged[56], &good[56], 16);
        writeBytes(file(), forged);
        expectSetAside(forged, "seal mismatch");
    }

    // A damaged stream.
    f = good;
    f[f.size() / 2] ^= 0x40;
    writeBytes(file(), f);
    expectSetAside(f, "does not unpack");

    // Cut short, or with bytes appended.
    f = good.substr(0, good.size() - 10);
    writeBytes(file(), f);
    expectSetAside(f, "truncated data");
    writeBytes(file(), good.substr(0, 40));
    expectSetAside(good.substr(0, 40), "truncated header");
    writeBytes(file(), good + "x");
    expectSetAside(good + "x", "trailing bytes");
}

TEST_F(FilesPacked, EarlierRejectsAreNeverOverwritten) {
    writeBytes(file(), "first bad");
    EXPECT_FALSE(loadChecked());
    writeBytes(file(), "second bad");
    EXPECT_FALSE(loadChecked());
    ASSERT_TRUE(save(record(5)));  // a save does not touch the rejects
    EXPECT_EQ(readBytes(file() + ".bad"), "first bad");
    EXPECT_EQ(readBytes(file() + ".bad1"), "second bad");
    EXPECT_TRUE(loadChecked());
}

// With ".bad" to ".bad99" all taken, a rejected file is still kept aside,
// under a name with the time, and the save that follows touches none of
// them.
TEST_F(FilesPacked, ARejectIsKeptAsideEvenWhenEveryNumberedNameIsTaken) {
    for (int n = 0; n < 100; ++n)
        writeBytes(file() + ".bad" + (n == 0 ? std::string() : std::to_string(n)), "reject " + std::to_string(n));
    writeBytes(file(), "the damaged record");
    EXPECT_FALSE(loadChecked());
    EXPECT_FALSE(fs::exists(file()));
    std::vector<std::string> stamped;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        if (entry.path().filename().string().starts_with("Tumbrodemo.hst.bad-")) stamped.push_back(entry.path());
    ASSERT_EQ(stamped.size(), 1u);
    EXPECT_EQ(readBytes(stamped[0]), "the damaged record");
    EXPECT_EQ(fs::path(stamped[0]).filename().string().size(),
              std::string("Tumbrodemo.hst.bad-20260101-120000").size());
    bool logged = false;
    for (const WString& line : Logger::get().history())
        logged |= line.find(u"kept as '" + narrowToWide(stamped[0]) + u"'") != WString::npos;
    EXPECT_TRUE(logged);

    ASSERT_TRUE(save(record(13)));
    EXPECT_EQ(readBytes(stamped[0]), "the damaged record");
    for (int n = 0; n < 100; ++n)
        EXPECT_EQ(readBytes(file() + ".bad" + (n == 0 ? std::string() : std::to_string(n))),
                  "reject " + std::to_string(n));

    // A second reject is kept too (with a count after the time when it comes
    // within the same second).
    writeBytes(file(), "another damaged record");
    EXPECT_FALSE(loadChecked());
    size_t kept = 0;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        kept += entry.path().filename().string().starts_with("Tumbrodemo.hst.bad-") ? 1 : 0;
    EXPECT_EQ(kept, 2u);
    EXPECT_EQ(readBytes(stamped[0]), "the damaged record");
}

// A rejected file that cannot be renamed aside (here every name for it is
// longer than a file name may be) stays where it is, and a save does not
// write over it while it is there; once it is gone, saving works again.
TEST_F(FilesPacked, ARejectThatCannotBeKeptAsideIsNeverSavedOver) {
    // 251 bytes: "<name>.bad" still fits in the 255 of a file name,
    // "<name>.bad1" and the names with the time do not.
    const WString name = WString(247, u'r') + u".hst";
    const std::string path = dir / wideToUtf8(name);
    writeBytes(path + ".bad", "an earlier reject");
    writeBytes(path, "the only copy of a damaged record");
    std::vector<uint8_t> dest(kRecordSize, 0xEE);
    EXPECT_FALSE(FileManager::loadPackedFile(dest.data(), dest.size(), folder(), name, u"1.25"));
    EXPECT_EQ(readBytes(path), "the only copy of a damaged record");

    const auto r = record(14);
    EXPECT_FALSE(FileManager::savePackedFile(r.data(), r.size(), folder(), name, u"1.25"));
    EXPECT_EQ(readBytes(path), "the only copy of a damaged record");
    EXPECT_EQ(readBytes(path + ".bad"), "an earlier reject");
    EXPECT_TRUE(temporariesIn(dir.path()).empty());
    bool rejected = false, notSaved = false;
    for (const WString& line : Logger::get().history()) {
        rejected |= line.find(u"could not keep it aside, so it is left as it is") != WString::npos;
        notSaved |= line.starts_with(u"FileManager::savePackedFile(): Not saving '") &&
                    line.find(u"left as it is") != WString::npos;
    }
    EXPECT_TRUE(rejected);
    EXPECT_TRUE(notSaved);

    fs::remove(path);
    ASSERT_TRUE(FileManager::savePackedFile(r.data(), r.size(), folder(), name, u"1.25"));
    EXPECT_TRUE(FileManager::loadPackedFile(dest.data(), dest.size(), folder(), name, u"1.25"));
    EXPECT_EQ(dest, std::vector<uint8_t>(r.begin(), r.end()));
}

TEST_F(FilesPacked, InterruptedSaveKeepsTheOldFile) {
    const auto r = record(6);
    ASSERT_TRUE(save(r));
    const std::string old = readBytes(file());

    // A crash during an earlier save left a partial temporary file behind
    // (and the user has a file of their own under the old temporary name).
    writeBytes(dir / ".zub-0123456789ab.tmp", old.substr(0, 50));
    writeBytes(file() + ".tmp", "the user's own");
    ASSERT_TRUE(loadChecked());
    EXPECT_EQ(loaded, std::vector<uint8_t>(r.begin(), r.end()));
    ASSERT_TRUE(save(record(7)));  // and the next save goes through
    EXPECT_EQ(temporariesIn(dir.path()), std::vector<std::string>{".zub-0123456789ab.tmp"});
    EXPECT_EQ(readBytes(file() + ".tmp"), "the user's own");
    fs::remove(dir / ".zub-0123456789ab.tmp");
    const std::string current = readBytes(file());

    // The disk is full: the write fails before the rename.
    {
        const DiskFullAfter full(16);
        EXPECT_FALSE(save(record(8)));
    }
    EXPECT_EQ(readBytes(file()), current);
    EXPECT_TRUE(temporariesIn(dir.path()).empty());

    bool logged = false;
    for (const WString& line : Logger::get().history())
        logged |= line.find(u"FileManager::savePackedFile(): Could not save") != WString::npos;
    EXPECT_TRUE(logged);
    ASSERT_TRUE(loadChecked());
    const auto r7 = record(7);
    EXPECT_EQ(loaded, std::vector<uint8_t>(r7.begin(), r7.end()));
}

TEST_F(FilesPacked, NamesAreKeptWithinTheirFields) {
    // A name longer than the field is cut to 31 bytes on both sides.
    const WString longName = u"a-very-long-file-name-for-a-record.hst";
    const auto r = record(10);
    ASSERT_TRUE(FileManager::savePackedFile(r.data(), r.size(), folder(), longName, u"1.25"));
    std::vector<uint8_t> dest(kRecordSize);
    EXPECT_TRUE(FileManager::loadPackedFile(dest.data(), dest.size(), folder(), longName, u"1.25"));
    EXPECT_EQ(dest, std::vector<uint8_t>(r.begin(), r.end()));
}

TEST_F(FilesPacked, ANamedPipeUnderTheNameIsSetAsideWithoutWaitingForAWriter) {
    ASSERT_TRUE(makePipe(file()));
    {
        const PipeWatch watch({file()});
        EXPECT_FALSE(loadChecked());
        EXPECT_EQ(watch.released(), 0) << "opening the pipe waited for a writer";
    }
    // Kept aside, so that the next save does not silently replace it.
    EXPECT_FALSE(fs::exists(file()));
    EXPECT_TRUE(fs::is_fifo(file() + ".bad"));
    bool logged = false;
    for (const WString& line : Logger::get().history())
        logged |= line.find(u"not a regular file") != WString::npos && line.find(u".bad") != WString::npos;
    EXPECT_TRUE(logged);
    ASSERT_TRUE(save(record(11)));
    EXPECT_TRUE(loadChecked());
}

// A packed file is never larger than its header and zlib's bound of a
// record of its size (packedfile::maxFileSize): 9,807 bytes for the 9,720
// of the configuration, 52,988 for the 52,888 of the profiles.
TEST_F(FilesPacked, TheLargestFileOfARecordIsWhatPackCanMake) {
    EXPECT_EQ(packedfile::maxFileSize(9720), 9807u);
    EXPECT_EQ(packedfile::maxFileSize(52888), 52988u);
    // Noise does not compress: its file comes close to the bound, within it.
    const std::string noise = noiseContent(kRecordSize, 7);
    const std::vector<uint8_t> img = packedfile::pack(noise.data(), noise.size(), u"Tumbrodemo.hst", u"1.25");
    EXPECT_GT(img.size(), kRecordSize);
    EXPECT_LE(img.size(), packedfile::maxFileSize(kRecordSize));
}

// A file larger than pack() makes for the record is set aside without
// being read, even one whose stream would unpack: the zlib stream of a
// saved file with empty stored blocks put in front of its data still
// unpacks to the same record and matches the seal.
TEST_F(FilesPacked, AFileLargerThanItsRecordCanBeIsSetAsideEvenWhenItWouldUnpack) {
    const auto r = record(12);
    ASSERT_TRUE(save(r));
    const std::string good = readBytes(file());
    const uint64_t limit = packedfile::maxFileSize(kRecordSize);
    std::string padded = good.substr(0, packedfile::kHeaderSize + 2);  // the zlib header
    const char emptyStoredBlock[] = {0x00, 0x00, 0x00, static_cast<char>(0xFF), static_cast<char>(0xFF)};
    while (padded.size() + good.size() - packedfile::kHeaderSize - 2 <= limit) padded.append(emptyStoredBlock, 5);
    padded += good.substr(packedfile::kHeaderSize + 2);
    const uint32_t packedSize = static_cast<uint32_t>(padded.size() - packedfile::kHeaderSize);
    std::memcpy(&padded[52], &packedSize, 4);
    ASSERT_GT(padded.size(), limit);

    // Within the limit, the same padding is accepted: the stream is valid.
    std::string within = good.substr(0, packedfile::kHeaderSize + 2);
    within.append(emptyStoredBlock, 5);
    within += good.substr(packedfile::kHeaderSize + 2);
    const uint32_t withinSize = static_cast<uint32_t>(within.size() - packedfile::kHeaderSize);
    std::memcpy(&within[52], &withinSize, 4);
    writeBytes(file(), within);
    ASSERT_TRUE(loadChecked());
    EXPECT_EQ(loaded, std::vector<uint8_t>(r.begin(), r.end()));

    writeBytes(file(), padded);
    expectSetAside(padded, "larger than the 9807 bytes its record can take");
}

// Sparse files of any size on the disk: each is set aside at once, and
// loading it takes no memory for its bytes (measured in a child process, so
// that a load that asks for all of them ends no more than the child).
TEST_F(FilesPacked, HugeFilesAreSetAsideWithoutReadingThem) {
    for (const uint64_t size : {uint64_t(packedfile::maxFileSize(kRecordSize) + 1), uint64_t(40) << 30}) {
        SCOPED_TRACE(size);
        ASSERT_TRUE(makeSparseFile(file(), size));
        const ChildRun run = runInChild([&] {
            std::vector<uint8_t> dest(kRecordSize, 0xEE);
            if (FileManager::loadPackedFile(dest.data(), dest.size(), folder(), u"Tumbrodemo.hst", u"1.25")) return 1;
            if (fs::exists(file())) return 2;
            return fs::file_size(file() + ".bad") == size ? 0 : 3;
        });
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_GE(run.peakGrowthKb, 0);
        EXPECT_LT(run.peakGrowthKb, 16 * 1024) << "kB more at the peak of the load";
        fs::remove(file() + ".bad");
    }
}

namespace {

platform::FileStamp stampOf(const std::string& path) {
    platform::FileStamp s;
    EXPECT_TRUE(platform::fileStamp(path, s)) << path;
    return s;
}

}  // namespace

// A save of what the file already holds leaves the file alone; any change to
// the record, to the version text or to the file on disk since it was last
// read or written makes the save write again.
TEST_F(FilesPacked, SavingWhatTheFileHoldsWritesNothing) {
    const auto r = record(9);
    ASSERT_TRUE(save(r));
    const platform::FileStamp written = stampOf(file());
    ASSERT_TRUE(save(r));
    EXPECT_EQ(stampOf(file()), written);

    // Another record, then another version text: written each time.
    ASSERT_TRUE(save(record(10)));
    EXPECT_NE(stampOf(file()), written);
    const platform::FileStamp second = stampOf(file());
    ASSERT_TRUE(save(record(10), u"1.26"));
    EXPECT_NE(stampOf(file()), second);
    ASSERT_TRUE(save(record(10)));

    // Removed behind the program's back: written again.
    fs::remove(file());
    ASSERT_TRUE(save(record(10)));
    ASSERT_TRUE(loadChecked());
    const auto r10 = record(10);
    EXPECT_EQ(loaded, std::vector<uint8_t>(r10.begin(), r10.end()));

    // Replaced by other bytes of the same size: written again.
    const std::string good = readBytes(file());
    std::string other = good;
    other[other.size() - 1] = static_cast<char>(other.back() ^ 0x55);
    writeBytes(file(), other);
    ASSERT_TRUE(save(record(10)));
    EXPECT_EQ(readBytes(file()), good);

    // A file that was read and is saved unchanged stays as it was.
    ASSERT_TRUE(loadChecked());
    const platform::FileStamp read = stampOf(file());
    ASSERT_TRUE(save(record(10)));
    EXPECT_EQ(stampOf(file()), read);
}

// A file that was refused and set aside is never taken for the record's file.
TEST_F(FilesPacked, ASetAsideFileIsWrittenAgain) {
    const auto r = record(11);
    ASSERT_TRUE(save(r));
    writeBytes(file(), "not a packed file");
    EXPECT_FALSE(loadChecked());
    ASSERT_FALSE(fs::exists(file()));
    ASSERT_TRUE(save(r));
    ASSERT_TRUE(loadChecked());
    EXPECT_EQ(loaded, std::vector<uint8_t>(r.begin(), r.end()));
}
