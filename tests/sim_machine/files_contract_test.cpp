// The simulated file system against the kernel32 behaviour it models.
#include <gtest/gtest.h>

#include "platform/sim/sim_files.h"
#include "support/sim_fixture.h"

namespace veltra::sim {
namespace {

class FilesContract : public testing::SimFixture {
protected:
    platform::Files& files() { return sim.platform().files; }
};

TEST(WindowsPaths, NormalizeLikeWindows) {
    EXPECT_EQ(NormalizeWindowsPath("c:\\a\\.\\b\\..\\c\\"), "C:\\a\\c");
    EXPECT_EQ(NormalizeWindowsPath("C:/a//b"), "C:\\a\\b");
    EXPECT_EQ(NormalizeWindowsPath("C:\\"), "C:\\");
    EXPECT_EQ(NormalizeWindowsPath("relative\\x"), std::nullopt);
    EXPECT_EQ(NormalizeWindowsPath("\\\\server\\share"), std::nullopt);
}

TEST_F(FilesContract, PathsIgnoreCaseAndKeepTheirSpelling) {
    PutFile("C:\\WINDOWS\\System32\\MSGina.dll");
    EXPECT_TRUE(FileExists("c:\\windows\\system32\\msgina.DLL"));
    PutFile("c:\\windows\\SYSTEM32\\new.dll");
    EXPECT_EQ(files().FindFiles("C:\\WINDOWS\\System32\\*").size(), 4u);  // ".", "..", two files
}

TEST_F(FilesContract, AttributesOfFilesFoldersAndMissingPaths) {
    PutFile("C:\\A\\f.txt");
    EXPECT_EQ(files().GetFileAttributes("C:\\A"), platform::kFileAttributeDirectory);
    EXPECT_EQ(files().GetFileAttributes("C:\\A\\f.txt"), platform::kFileAttributeArchive);
    EXPECT_EQ(files().GetFileAttributes("C:\\A\\missing"), platform::kInvalidFileAttributes);
    EXPECT_EQ(machine.lastError, platform::kErrorFileNotFound);
    EXPECT_EQ(files().GetFileAttributes("C:\\Nowhere\\missing"), platform::kInvalidFileAttributes);
    EXPECT_EQ(machine.lastError, platform::kErrorPathNotFound);
    EXPECT_TRUE(files().SetFileAttributes("C:\\A\\f.txt", platform::kFileAttributeSystem | platform::kFileAttributeHidden));
    EXPECT_EQ(files().GetFileAttributes("c:\\a\\F.TXT"), platform::kFileAttributeSystem | platform::kFileAttributeHidden);
}

TEST_F(FilesContract, CopyHonoursOverwriteReadOnlyAndFilesInUse) {
    PutFile("C:\\S\\a.txt", "new");
    PutFile("C:\\D\\a.txt", "old");
    EXPECT_FALSE(files().CopyFile("C:\\S\\a.txt", "C:\\D\\a.txt", true));
    EXPECT_EQ(machine.lastError, platform::kErrorFileExists);
    machine.attributes["C:\\D\\a.txt"] = platform::kFileAttributeReadOnly;
    EXPECT_FALSE(files().CopyFile("C:\\S\\a.txt", "C:\\D\\a.txt", false));
    EXPECT_EQ(machine.lastError, platform::kErrorAccessDenied);
    EXPECT_TRUE(files().SetFileAttributes("C:\\D\\a.txt", platform::kFileAttributeNormal));
    machine.filesInUse.insert("C:\\D\\a.txt");
    EXPECT_FALSE(files().CopyFile("C:\\S\\a.txt", "C:\\D\\a.txt", false));
    EXPECT_EQ(machine.lastError, platform::kErrorSharingViolation);
    machine.filesInUse.clear();
    EXPECT_TRUE(files().CopyFile("C:\\S\\a.txt", "C:\\D\\a.txt", false));
    EXPECT_EQ(ReadFile("C:\\D\\a.txt"), "new");
    EXPECT_FALSE(files().CopyFile("C:\\S\\missing", "C:\\D\\b.txt", false));
    EXPECT_EQ(machine.lastError, platform::kErrorFileNotFound);
    EXPECT_FALSE(files().CopyFile("C:\\S\\a.txt", "C:\\NoFolder\\a.txt", false));
    EXPECT_EQ(machine.lastError, platform::kErrorPathNotFound);
}

TEST_F(FilesContract, DeleteRefusesReadOnlyFilesAndFolders) {
    PutFile("C:\\A\\ro.txt");
    machine.attributes["C:\\A\\ro.txt"] = platform::kFileAttributeReadOnly;
    EXPECT_FALSE(files().DeleteFile("C:\\A\\ro.txt"));
    EXPECT_EQ(machine.lastError, platform::kErrorAccessDenied);
    EXPECT_FALSE(files().DeleteFile("C:\\A"));
    EXPECT_TRUE(files().SetFileAttributes("C:\\A\\ro.txt", platform::kFileAttributeNormal));
    EXPECT_TRUE(files().DeleteFile("C:\\A\\ro.txt"));
    EXPECT_FALSE(FileExists("C:\\A\\ro.txt"));
    EXPECT_FALSE(files().DeleteFile("C:\\A\\ro.txt"));
    EXPECT_EQ(machine.lastError, platform::kErrorFileNotFound);
}

TEST_F(FilesContract, MoveReplacesOnlyWhenAsked) {
    PutFile("C:\\A\\x", "x");
    PutFile("C:\\A\\y", "y");
    EXPECT_FALSE(files().MoveFileEx("C:\\A\\x", "C:\\A\\y", 0));
    EXPECT_EQ(machine.lastError, platform::kErrorAlreadyExists);
    EXPECT_TRUE(files().MoveFileEx("C:\\A\\x", "C:\\A\\y", platform::kMoveFileReplaceExisting));
    EXPECT_EQ(ReadFile("C:\\A\\y"), "x");
    EXPECT_FALSE(FileExists("C:\\A\\x"));
}

TEST_F(FilesContract, FoldersAreCreatedOneLevelAtATime) {
    PutFolder("C:\\A");
    EXPECT_FALSE(files().CreateDirectory("C:\\A\\B\\C", nullptr));
    EXPECT_EQ(machine.lastError, platform::kErrorPathNotFound);
    EXPECT_TRUE(files().CreateDirectory("C:\\A\\B", "O:BAG:SYD:(A;;GA;;;SY)"));
    EXPECT_EQ(machine.folderSecurity.at("C:\\A\\B"), "O:BAG:SYD:(A;;GA;;;SY)");
    EXPECT_FALSE(files().CreateDirectory("c:\\a\\b", nullptr));
    EXPECT_EQ(machine.lastError, platform::kErrorAlreadyExists);
    PutFile("C:\\A\\B\\f");
    EXPECT_FALSE(files().RemoveDirectory("C:\\A\\B"));
    EXPECT_EQ(machine.lastError, platform::kErrorDirNotEmpty);
    EXPECT_EQ(files().ShellDeleteTree("C:\\A", platform::kFofSilent), 0);
    EXPECT_FALSE(FileExists("C:\\A"));
}

TEST_F(FilesContract, SearchPathUsesTheFolderOrTheSystemSearchOrder) {
    machine.environment["SystemRoot"] = "C:\\WINDOWS";
    PutFile("C:\\WINDOWS\\system32\\msgina.dll");
    PutFile("C:\\Tools\\tool.dll");
    char buffer[260];
    EXPECT_EQ(files().SearchPath(nullptr, "msgina", ".dll", buffer, sizeof buffer), 30u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\system32\\msgina.dll");
    EXPECT_EQ(files().SearchPath(nullptr, "tool.dll", ".dll", buffer, sizeof buffer), 0u);
    EXPECT_NE(files().SearchPath("C:\\Tools\\", "tool.dll", nullptr, buffer, sizeof buffer), 0u);
    EXPECT_EQ(files().SearchPath("C:\\Tools", "tool", nullptr, buffer, sizeof buffer), 0u);  // no extension added
    char tiny[4];
    EXPECT_EQ(files().SearchPath(nullptr, "msgina.dll", nullptr, tiny, sizeof tiny), 31u);  // size needed
}

TEST_F(FilesContract, StreamsReadAndWriteBytes) {
    PutFolder("C:\\P");
    {
        auto out = files().Open("C:\\P\\options.txt", platform::OpenMode::Write);
        ASSERT_TRUE(out);
        out->Write("line 1\r\nline 2\r\n", 16);
    }
    auto in = files().Open("c:\\p\\OPTIONS.TXT", platform::OpenMode::Read);
    ASSERT_TRUE(in);
    char line[8];
    ASSERT_TRUE(in->ReadLine(line, sizeof line));
    EXPECT_STREQ(line, "line 1\r");  // fgets stops at the size limit
    EXPECT_FALSE(files().Open("C:\\P\\missing.txt", platform::OpenMode::Read));
    EXPECT_FALSE(files().Open("C:\\NoFolder\\x.txt", platform::OpenMode::Write));
}

}  // namespace
}  // namespace veltra::sim
