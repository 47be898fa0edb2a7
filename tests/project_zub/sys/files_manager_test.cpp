#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "object/FileData.h"
#include "project_zub/sys/files_test_support.h"
#include "sys/ArchiveReader.h"
#include "sys/ArchiveWriter.h"
#include "sys/FileManager.h"

using namespace filestest;

namespace {

WString w(const std::string& s) { return narrowToWide(s); }

std::string load(FileManager& fm, const std::string& name) {
    auto b = fm.loadFile(w(name));
    EXPECT_TRUE(b) << name;
    return b ? std::string(b->view()) : std::string();
}

// An archive file with the given entries.
void makeArchive(const std::string& path, std::initializer_list<std::pair<const char*, const char*>> entries) {
    ArchiveWriter writer(ArchiveWriter::Method::Zlib);
    for (const auto& [name, text] : entries) writer.addData(name, text, std::strlen(text));
    ASSERT_TRUE(writer.write(path));
}

class FilesManager : public ::testing::Test {
protected:
    void SetUp() override {
        fm.baseFolder = dir.path();
        ErrorManager::bTestMode = true;
    }
    TempFolder dir;
    FileManager fm;
};

}  // namespace

TEST_F(FilesManager, LooseFilesIgnoreCaseAndSeparators) {
    writeBytes(dir / "gfx/gui/game/horizontalRuler.tga", "ruler");
    writeBytes(dir / "sfx/clickXP.ogg", "click");
    EXPECT_EQ(load(fm, "gfx/gui/game/horizontalRuler.tga"), "ruler");
    EXPECT_EQ(load(fm, "./GFX\\gui\\Game/HORIZONTALRULER.TGA"), "ruler");
    EXPECT_EQ(load(fm, "sfx/clickxp.ogg"), "click");
    EXPECT_TRUE(fm.fileExists(u"SFX/CLICKXP.OGG"));
    EXPECT_FALSE(fm.fileExists(u"sfx/click.ogg"));
    EXPECT_FALSE(fm.fileExists(u"sfx"));  // a folder is not a file
    EXPECT_EQ(fm.loadFile(u"sfx/none.ogg"), nullptr);
    // The exact name wins over a name that only matches ignoring case.
    writeBytes(dir / "sfx/CLICKXP.ogg", "upper");
    EXPECT_EQ(load(fm, "sfx/CLICKXP.ogg"), "upper");
    EXPECT_EQ(load(fm, "sfx/clickXP.ogg"), "click");
}

TEST_F(FilesManager, ArchiveLookupsSurviveSwitching) {
    makeArchive(dir / "Game.dat", {{"gfx/Sky.tga", "sky"}, {"shared.txt", "main"}});
    makeArchive(dir / "Game.dat.levels", {{"levels/a1.lev", "a1"}, {"shared.txt", "levels"}});
    fm.bUseWad = true;
    fm.bDiskFallback = false;
    fm.useWad(w(dir / "Game.dat"));
    EXPECT_EQ(load(fm, "GFX/sky.TGA"), "sky");
    EXPECT_FALSE(fm.fileExists(u"levels/a1.lev"));  // not opened yet

    fm.useWad(w(dir / "Game.dat.levels"));
    EXPECT_EQ(load(fm, "./levels\\A1.LEV"), "a1");
    EXPECT_EQ(load(fm, "shared.txt"), "levels");  // the current archive first

    fm.useWad(w(dir / "Game.dat"));  // already open: no second open
    EXPECT_EQ(load(fm, "shared.txt"), "main");
    EXPECT_EQ(load(fm, "levels/a1.lev"), "a1");  // still registered
    EXPECT_TRUE(fm.fileExists(u"Levels/A1.lev"));
    EXPECT_FALSE(fm.fileExists(u"levels/a2.lev"));
}

TEST_F(FilesManager, ArchiveModeFallsBackToDiskAndReadsAbsolutePathsFromDisk) {
    makeArchive(dir / "Game.dat", {{"readme.txt", "archived"}});
    writeBytes(dir / "readme.txt", "loose");
    writeBytes(dir / "Game.cfg.static", "hq2x=1");
    fm.bUseWad = true;
    fm.useWad(w(dir / "Game.dat"));
    EXPECT_EQ(load(fm, "readme.txt"), "archived");
    EXPECT_EQ(load(fm, dir / "readme.txt"), "loose");
    EXPECT_EQ(load(fm, "Game.cfg.static"), "hq2x=1");
    fm.bDiskFallback = false;
    EXPECT_FALSE(fm.fileExists(u"Game.cfg.static"));
}

TEST_F(FilesManager, Hq2xSelectsTheHighResolutionArchive) {
    makeArchive(dir / "Game.dat", {{"gfx/a.tga", "low"}});
    makeArchive(dir / "Game.dat.hq2x", {{"gfx/a.tga", "high"}});
    writeBytes(dir / "gfx/a.tga", "loose");
    fm.hq2x = 2;
    fm.useWad(u"Missing.dat");  // archives off: only the name is kept, nothing is opened
    EXPECT_EQ(fm.currentWad(), u"Missing.dat.hq2x");
    EXPECT_EQ(load(fm, "gfx/a.tga"), "loose");
    fm.bUseWad = true;
    fm.useWad(u"Game.dat");  // relative to the base folder
    EXPECT_EQ(load(fm, "gfx/a.tga"), "high");
}

TEST_F(FilesManager, CreationModeRecordsTheFilesOpened) {
    writeBytes(dir / "gfx/Sky.tga", textContent(5000, 1));
    writeBytes(dir / "gfx/unused.tga", "never opened");
    writeBytes(dir / "levels/a1.lev", "a1");
    writeBytes(dir / "levels/b1.lev", "b1");
    writeBytes(dir / "crash.log", "absolute");
    fm.createMethod = ArchiveWriter::Method::Zlib;
    ASSERT_TRUE(fm.setCreateWad(true));
    fm.useWad(u"Game.dat");
    EXPECT_EQ(load(fm, "gfx/sky.tga"), textContent(5000, 1));
    EXPECT_TRUE(fm.fileExists(u"gfx/unused.tga"));  // only checked, not recorded
    { FileData a(0, u"gfx/Sky.tga"); }              // recorded once
    load(fm, dir / "crash.log");                    // absolute paths are not recorded
    fm.useWad(u"Game.dat.levels");
    { FileData a1(FileData::FLAG_DELAYED, u"./levels/a1.lev"); }  // delayed loads record at once
    { FileData b1(0, u".\\levels\\b1.lev"); }
    fm.useWad(u"Game.dat");
    EXPECT_EQ(fm.recordedNames(u"Game.dat"), (std::vector<std::string>{"gfx/sky.tga"}));
    EXPECT_EQ(fm.recordedNames(u"Game.dat.levels"), (std::vector<std::string>{"levels/a1.lev", "levels/b1.lev"}));
    EXPECT_FALSE(fs::exists(dir / "Game.dat"));

    ASSERT_TRUE(fm.setCreateWad(false));  // ending the mode writes the archives

    FileManager reader;
    reader.baseFolder = dir.path();
    reader.bUseWad = true;
    reader.bDiskFallback = false;
    reader.useWad(u"Game.dat.levels");
    reader.useWad(u"Game.dat");
    EXPECT_EQ(load(reader, "GFX/SKY.tga"), textContent(5000, 1));
    EXPECT_EQ(load(reader, "levels/b1.lev"), "b1");
    EXPECT_FALSE(reader.fileExists(u"gfx/unused.tga"));
    EXPECT_FALSE(reader.fileExists(u"crash.log"));
}

TEST_F(FilesManager, RecordedArchivesAreWrittenOnFlushAndDestruction) {
    writeBytes(dir / "a.txt", "a");
    writeBytes(dir / "b.txt", "b");
    {
        FileManager m;
        m.baseFolder = dir.path();
        m.createMethod = ArchiveWriter::Method::Store;
        m.setCreateWad(true);
        m.useWad(u"X.dat");
        load(m, "a.txt");
        EXPECT_TRUE(m.flushWad());
        ArchiveReader r;
        r.open(dir / "X.dat");
        EXPECT_EQ(r.entries().size(), 1u);
        load(m, "b.txt");  // after a flush: the archive is written again, whole
    }
    ArchiveReader r;
    r.open(dir / "X.dat");
    EXPECT_EQ(r.entries().size(), 2u);
}

TEST_F(FilesManager, FileDataLoadsAtOnceOrOnFirstUse) {
    writeBytes(dir / "gfx/map.tga", "first");
    FileData now(0, u"gfx/map.tga");
    EXPECT_TRUE(now.isLoaded());

    FileData delayedButOff(FileData::FLAG_DELAYED, u"gfx/map.tga");
    EXPECT_TRUE(delayedButOff.isLoaded());  // bEnableDelayedLoad is off

    fm.bEnableDelayedLoad = true;
    FileData later(FileData::FLAG_DELAYED, u"gfx/map.tga");
    EXPECT_FALSE(later.isLoaded());
    writeBytes(dir / "gfx/map.tga", "second");
    EXPECT_EQ(later.size(), 6u);
    EXPECT_TRUE(later.isLoaded());
    EXPECT_EQ(later.view(), "second");
    EXPECT_EQ(now.view(), "first");

    later.purge();
    EXPECT_FALSE(later.isLoaded());
    writeBytes(dir / "gfx/map.tga", "third!!");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(later.data()), later.size()), "third!!");
}

TEST_F(FilesManager, DelayedLoadFindsEntriesAfterSwitchingArchives) {
    makeArchive(dir / "Game.dat", {{"gfx/sky.tga", "sky"}});
    makeArchive(dir / "Game.dat.levels", {{"gfx/minimap-a1.tga", "map"}});
    fm.bUseWad = true;
    fm.bDiskFallback = false;
    fm.bEnableDelayedLoad = true;
    fm.useWad(u"Game.dat.levels");
    FileData map(FileData::FLAG_DELAYED, u"gfx/Minimap-A1.tga");
    fm.useWad(u"Game.dat");
    EXPECT_FALSE(map.isLoaded());
    EXPECT_EQ(map.view(), "map");
}

TEST_F(FilesManager, MissingFilesAndArchivesAreFatalWhereTheyMustExist) {
    EXPECT_EXIT(FileData(0, u"gfx/none.tga"), ::testing::ExitedWithCode(255),
                "Error: Could not read file 'gfx/none.tga'.");
    fm.bEnableDelayedLoad = true;
    EXPECT_EXIT(FileData(FileData::FLAG_DELAYED, u"gfx/none.tga"), ::testing::ExitedWithCode(255),
                "Error: Could not find file 'gfx/none.tga'.");
    fm.bUseWad = true;
    EXPECT_EXIT(fm.useWad(u"Game.dat"), ::testing::ExitedWithCode(255),
                "Archive '.*Game.dat' is unusable: cannot open");
    writeBytes(dir / "Game.dat", std::string("ZWAD\1\0\0\0\5\0\0\0", 12));
    EXPECT_EXIT(fm.useWad(u"Game.dat"), ::testing::ExitedWithCode(255),
                "Archive '.*Game.dat' is unusable: entry count 5 does not fit the file");
}

TEST_F(FilesManager, DiskChecks) {
    writeBytes(dir / "Game.dat.1252", "x");
    EXPECT_TRUE(fm.fileExistsOnDisk(w(dir / "Game.dat.1252")));
    EXPECT_TRUE(fm.fileExistsOnDisk(u"game.dat.1252"));
    EXPECT_FALSE(fm.fileExistsOnDisk(u"Game.dat.1250"));
    EXPECT_FALSE(fm.fileExistsOnDisk(w(dir.path())));
    fm.verifyFileDisk(w(dir / "Game.dat.1252"));  // returns
    EXPECT_EXIT(fm.verifyFileDisk(w(dir / "Game.dat.1250")), ::testing::ExitedWithCode(255),
                "Error: File /.*/Game.dat.1250 verification failed \\(errno 2:No such file or directory, cwd /.*\\)\n"
                " Function: FileManager::verifyFileDisk\\(\\)");
}
