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

std::vector<std::string> Names(const std::vector<platform::FindEntry>& entries) {
    std::vector<std::string> names;
    for (const platform::FindEntry& entry : entries) names.push_back(entry.name);
    return names;
}

TEST_F(FilesContract, PathsIgnoreCaseKeepTheirSpellingAndListInUpperCaseOrder) {
    PutFile("C:\\WINDOWS\\System32\\MSGina.dll");
    EXPECT_TRUE(FileExists("c:\\windows\\system32\\msgina.DLL"));
    PutFile("c:\\windows\\SYSTEM32\\new.dll");
    PutFile("C:\\Windows\\system32\\_x.dll");
    PutFile("C:\\Windows\\system32\\Zeta.dll");
    EXPECT_TRUE(files().CreateDirectory("c:\\windows\\system32\\..\\System32\\Sub", nullptr));
    // "_" sorts after "Z" when names are compared in upper case.
    EXPECT_EQ(Names(files().FindFiles("C:\\WINDOWS\\System32\\*")),
              (std::vector<std::string>{".", "..", "MSGina.dll", "new.dll", "Sub", "Zeta.dll", "_x.dll"}));
    EXPECT_EQ(Names(files().FindFiles("C:\\*")), std::vector<std::string>{"WINDOWS"});
    EXPECT_EQ(files().GetFileAttributes("C:\\windows\\SYSTEM32\\sub"), platform::kFileAttributeDirectory);
}

// A copy shares nothing with its source once either changes, a move takes a
// folder's whole tree along, and a folder cannot move into itself.
TEST_F(FilesContract, CopiesAndMovesKeepContentApart) {
    PutFile("C:\\A\\f.txt", "one");
    ASSERT_TRUE(files().CopyFile("C:\\A\\f.txt", "C:\\A\\g.txt", true));
    {
        auto out = files().Open("C:\\A\\f.txt", platform::OpenMode::Append);
        ASSERT_TRUE(out);
        out->Write("+two", 4);
    }
    EXPECT_EQ(ReadFile("C:\\A\\f.txt"), "one+two");
    EXPECT_EQ(ReadFile("C:\\A\\g.txt"), "one");
    PutFile("C:\\A\\Sub\\deep.txt", "deep");
    EXPECT_FALSE(files().MoveFileEx("C:\\A", "C:\\a\\sub\\A", 0));
    EXPECT_EQ(machine.lastError, platform::kErrorAccessDenied);
    EXPECT_TRUE(files().MoveFileEx("C:\\a", "C:\\Moved", 0));
    EXPECT_FALSE(FileExists("C:\\A"));
    EXPECT_EQ(ReadFile("C:\\moved\\SUB\\deep.txt"), "deep");
    EXPECT_EQ(Names(files().FindFiles("C:\\*")), std::vector<std::string>{"Moved"});
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
    // A relative name is looked for in the current folder, the system
    // folder; a name on the current drive's root on that drive; "" nowhere.
    machine.environment["SystemRoot"] = "C:\\WINDOWS";
    PutFile("C:\\WINDOWS\\system32\\ctxgina.dll");
    EXPECT_EQ(files().GetFileAttributes("ctxgina.dll"), platform::kFileAttributeArchive);
    EXPECT_EQ(files().GetFileAttributes("\\A\\f.txt"), platform::kFileAttributeSystem | platform::kFileAttributeHidden);
    EXPECT_EQ(files().GetFileAttributes(""), platform::kInvalidFileAttributes);
    EXPECT_EQ(machine.lastError, platform::kErrorPathNotFound);
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

// A program in use can be renamed on its drive but not deleted or replaced;
// another drive takes a copy and a delete, which the caller must allow.
TEST_F(FilesContract, MoveFollowsWindowsForProgramsInUseAndOtherDrives) {
    struct Case {
        const char* label;
        const char* from;
        const char* to;
        platform::Dword flags;
        const char* inUse;      // the program a process has loaded, if any
        platform::Dword error;  // 0: the call succeeds
        bool sourceStays;
    };
    const Case cases[] = {
        {"rename in use", "C:\\A\\p.dll", "C:\\A\\p.dll_moved", 0, "C:\\A\\p.dll", 0, false},
        {"onto a program in use", "C:\\A\\q.dll", "C:\\A\\p.dll", platform::kMoveFileReplaceExisting,
         "C:\\A\\p.dll", platform::kErrorAccessDenied, true},
        {"other drive, not allowed", "C:\\A\\p.dll", "D:\\p.dll", platform::kMoveFileReplaceExisting, "",
         platform::kErrorNotSameDevice, true},
        {"other drive, copy allowed", "C:\\A\\p.dll", "D:\\p.dll", platform::kMoveFileCopyAllowed, "", 0, false},
        {"other drive, in use", "C:\\A\\p.dll", "D:\\p.dll", platform::kMoveFileCopyAllowed, "C:\\A\\p.dll", 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        machine = sim::Machine();
        PutFile("C:\\A\\p.dll", "p");
        PutFile("C:\\A\\q.dll", "q");
        PutFolder("D:\\");
        if (*c.inUse != '\0') machine.filesInUse.insert(c.inUse);
        EXPECT_EQ(files().MoveFileEx(c.from, c.to, c.flags), c.error == 0);
        EXPECT_EQ(machine.lastError, c.error);
        EXPECT_EQ(FileExists(c.from), c.sourceStays);
        EXPECT_EQ(ReadFile(c.to), c.error == 0 || std::string(c.to) == c.inUse ? "p" : "");
    }
    EXPECT_FALSE(files().DeleteFile("C:\\A\\p.dll"));  // still in use, under its old name
    EXPECT_EQ(machine.lastError, platform::kErrorAccessDenied);
    EXPECT_TRUE(files().MoveFileEx("C:\\A\\p.dll", "C:\\A\\r.dll", 0));
    EXPECT_FALSE(files().DeleteFile("C:\\A\\r.dll"));  // the mark went with it
    EXPECT_TRUE(files().DeleteFile("C:\\A\\q.dll"));
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
    char rest[16];
    ASSERT_TRUE(in->ReadLine(rest, sizeof rest));
    EXPECT_STREQ(rest, "\n");
    ASSERT_TRUE(in->ReadLine(rest, sizeof rest));
    EXPECT_STREQ(rest, "line 2\r\n");
    EXPECT_FALSE(in->AtEnd()) << "the end is seen only by a read that runs into it";
    EXPECT_FALSE(in->ReadLine(rest, sizeof rest));
    EXPECT_TRUE(in->AtEnd());
    EXPECT_FALSE(files().Open("C:\\P\\missing.txt", platform::OpenMode::Read));
    EXPECT_FALSE(files().Open("C:\\NoFolder\\x.txt", platform::OpenMode::Write));
}

}  // namespace
}  // namespace veltra::sim
