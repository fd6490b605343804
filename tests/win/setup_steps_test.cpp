// The installer's steps against the prefix's registry and a scratch folder.
#include "tests/win/temp_tree.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/settings.h"
#include "tests/win/registry_restore.h"
#include "platform/dialog_centre.h"
#include "setup/install_files.h"
#include "setup/install_record.h"
#include "setup/reg_tree.h"

namespace {

const char kPayloadBytes[] = "ZEMA payload\0stand-in\n";

bool KeyExists(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

void MakeKey(const std::string& path)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                               KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ::RegCloseKey(key);
}

bool IsFile(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFolder(const std::string& path)
{
    DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// A fresh folder under the temporary folder, removed with all it holds.
class ScratchFolder : public ::testing::Test {
protected:
    TempTree m_tree;
    const std::string m_root = m_tree.Root();
};

class RegistryTree : public ::testing::Test {
protected:
    const std::string m_path = "Software\\ZemaSetupTreeTest";
    SavedKeyTree m_saved{ HKEY_CURRENT_USER, m_path };
};

TEST_F(RegistryTree, DeletesNestedKeysAndTheKeyItself)
{
    MakeKey(m_path + "\\A\\Deep\\Deeper");
    MakeKey(m_path + "\\A\\Side");
    MakeKey(m_path + "\\B");
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, (m_path + "\\A\\Deep").c_str(), "v", "x"));

    EXPECT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, m_path.c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, m_path));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software"));
}

TEST_F(RegistryTree, AnEmptyOrAbsentPathDeletesNothingAndFails)
{
    MakeKey(m_path + "\\Kept");
    EXPECT_FALSE(DeleteRegTree(HKEY_CURRENT_USER, ""));
    EXPECT_FALSE(DeleteRegTree(HKEY_CURRENT_USER, nullptr));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, m_path + "\\Kept"));
    // An absent key is already gone: nothing is left to open afterwards.
    EXPECT_TRUE(DeleteRegTree(HKEY_CURRENT_USER, (m_path + "\\Never").c_str()));
}

TEST_F(ScratchFolder, CreateFolderPathMakesEveryMissingParent)
{
    std::string folder = m_root + "\\Apps\\Keldra Works\\Zema";
    EXPECT_TRUE(CreateFolderPath(folder.c_str()));
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_TRUE(CreateFolderPath(folder.c_str()));  // already there is fine
    EXPECT_TRUE(CreateFolderPath("C:\\"));
}

TEST_F(ScratchFolder, CreateFolderPathFailsBelowAFileAndOnNothing)
{
    Write(m_root + "\\file.txt", "a file");
    EXPECT_FALSE(CreateFolderPath((m_root + "\\file.txt\\Zema").c_str()));
    EXPECT_FALSE(CreateFolderPath((m_root + "\\file.txt").c_str()));
    EXPECT_FALSE(CreateFolderPath(""));
}

TEST_F(ScratchFolder, WriteWholeFileReplacesTheTargetAndLeavesNoPartialFile)
{
    std::string target = m_root + "\\ZEMA.exe";
    Write(target, "the old program, longer than the new one");
    ASSERT_TRUE(WriteWholeFile(target.c_str(), "new", 3));
    EXPECT_EQ(Contents(target), "new");
    EXPECT_FALSE(IsFile(target + ".new"));
}

TEST_F(ScratchFolder, AFailedWriteKeepsThePreviousFile)
{
    std::string target = m_root + "\\ZEMA.exe";
    Write(target, "the working program");
    // A folder where the partial file must go makes the write fail.
    ASSERT_TRUE(::CreateDirectoryA((target + ".new").c_str(), nullptr));
    EXPECT_FALSE(WriteWholeFile(target.c_str(), "new", 3));
    EXPECT_EQ(Contents(target), "the working program");
    EXPECT_FALSE(WriteWholeFile((m_root + "\\Missing\\ZEMA.exe").c_str(), "new", 3));
}

TEST_F(ScratchFolder, WritePayloadWritesTheBinResourceByteForByte)
{
    std::string target = m_root + "\\ZEMA.exe";
    ASSERT_TRUE(WritePayload(::GetModuleHandleA(nullptr), target.c_str()));
    EXPECT_EQ(Contents(target), std::string(kPayloadBytes, sizeof kPayloadBytes - 1));
    // A module without the resource writes nothing.
    EXPECT_FALSE(WritePayload(::GetModuleHandleA("kernel32.dll"), (target + "2").c_str()));
    EXPECT_FALSE(IsFile(target + "2"));
}

TEST_F(ScratchFolder, RemovingProgramFilesKeepsAFolderWithOtherFiles)
{
    std::string folder = m_root + "\\Zema";
    ASSERT_TRUE(CreateFolderPath(folder.c_str()));
    Write(folder + "\\ZEMA.exe", "program");
    Write(folder + "\\notes.txt", "the user's");
    RemoveProgramFiles((folder + "\\").c_str());
    EXPECT_FALSE(IsFile(folder + "\\ZEMA.exe"));
    EXPECT_TRUE(IsFile(folder + "\\notes.txt"));

    ::DeleteFileA((folder + "\\notes.txt").c_str());
    Write(folder + "\\ZEMA.exe", "program");
    RemoveProgramFiles(folder.c_str());
    EXPECT_FALSE(IsFolder(folder));
}

TEST(RemoveProgramFiles, AnEmptyFolderDeletesNothingAtTheDriveRoot)
{
    // "\ZEMA.exe" is the root of the current drive: the prefix's own C:.
    char saved[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryA("C:\\"));
    const std::string bystander = "C:\\ZEMA.exe";
    ASSERT_FALSE(IsFile(bystander)) << "left over from elsewhere";
    Write(bystander, "not ours");
    RemoveProgramFiles("");
    bool kept = IsFile(bystander);
    ::DeleteFileA(bystander.c_str());
    ::SetCurrentDirectoryA(saved);
    EXPECT_TRUE(kept);
}

class InstallRecord : public ::testing::Test {
protected:
    SavedKeyTree m_product{ HKEY_LOCAL_MACHINE, kProductKey };
    SavedValue m_programFiles{ HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                               "ProgramFilesDir" };
};

TEST_F(InstallRecord, TheDefaultFolderFollowsProgramFilesDirThenTheEnvironment)
{
    char folder[MAX_PATH];
    ASSERT_TRUE(m_programFiles.Set("Q:\\Programs"));
    ASSERT_TRUE(DefaultInstallFolder(folder));
    EXPECT_STREQ(folder, "Q:\\Programs\\KeldraWorks\\ZEMA");

    m_programFiles.Remove();
    char environment[MAX_PATH] = {};
    ::GetEnvironmentVariableA("ProgramFiles", environment, MAX_PATH);
    ASSERT_TRUE(DefaultInstallFolder(folder));
    EXPECT_EQ(std::string(folder), std::string(environment) + "\\KeldraWorks\\ZEMA");
}

TEST_F(InstallRecord, WrittenAndReadBackWithTheProgramPath)
{
    char folder[MAX_PATH];
    EXPECT_FALSE(ReadInstalledFolder(folder));
    EXPECT_STREQ(folder, "");
    ASSERT_TRUE(WriteInstalledFolder("D:\\Apps\\Zema"));
    ASSERT_TRUE(ReadInstalledFolder(folder));
    EXPECT_STREQ(folder, "D:\\Apps\\Zema");

    char program[MAX_PATH];
    ASSERT_TRUE(InstalledProgramPath("D:/Apps//Zema/", program));
    EXPECT_STREQ(program, "D:\\Apps\\Zema\\ZEMA.exe");
    EXPECT_FALSE(InstalledProgramPath(std::string(255, 'a').c_str(), program));
}

TEST_F(InstallRecord, InstalledOnlyWhenTheRecordedProgramIsAFile)
{
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder =
        std::string(temp) + "zema-record-" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(CreateFolderPath((folder + "\\ZEMA.exe").c_str()));  // a directory of that name
    char read[MAX_PATH];
    EXPECT_FALSE(IsProgramInstalled(read));  // no record
    ASSERT_TRUE(WriteInstalledFolder(""));
    EXPECT_FALSE(IsProgramInstalled(read));
    ASSERT_TRUE(WriteInstalledFolder(folder.c_str()));
    EXPECT_FALSE(IsProgramInstalled(read));

    ::RemoveDirectoryA((folder + "\\ZEMA.exe").c_str());
    Write(folder + "\\ZEMA.exe", "program");
    EXPECT_TRUE(IsProgramInstalled(read));
    EXPECT_EQ(std::string(read), folder);
    ::DeleteFileA((folder + "\\ZEMA.exe").c_str());
    ::RemoveDirectoryA(folder.c_str());
}

TEST(DialogCentre, CentresAndStaysInsideTheWorkArea)
{
    const RECT work = { 0, 0, 1280, 1000 };
    const SIZE size = { 400, 300 };
    POINT centred = CentredPosition(size, work, work);
    EXPECT_EQ(centred.x, 440);
    EXPECT_EQ(centred.y, 350);

    POINT right = CentredPosition(size, RECT{ 1100, 900, 1300, 1000 }, work);
    EXPECT_EQ(right.x, 880);  // pushed back in from the right edge
    EXPECT_EQ(right.y, 700);  // and from the bottom edge
    POINT left = CentredPosition(size, RECT{ -300, -200, 100, 100 }, work);
    EXPECT_EQ(left.x, 0);
    EXPECT_EQ(left.y, 0);
    POINT huge = CentredPosition(SIZE{ 1500, 1200 }, work, work);
    EXPECT_EQ(huge.x, 0);  // wider than the work area: put at its left edge
    EXPECT_EQ(huge.y, 0);
}

}  // namespace
