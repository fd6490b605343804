// The settings store against the registry of the project's Wine prefix.
#include <gtest/gtest.h>

#include <string>

#include "platform/settings.h"
#include "tests/win/registry_restore.h"

namespace {

const char kVendorKey[] = "Software\\KELDRAWORKS";
const char kScratchKey[] = "Software\\KELDRAWORKS\\ZemaTest\\Deep\\Path";

bool KeyExists(HKEY root, const char* subkey)
{
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

struct StoredValue {
    DWORD type = REG_NONE;
    std::string bytes;
};

StoredValue QueryValue(HKEY root, const char* subkey, const char* name)
{
    StoredValue value;
    char data[512];
    DWORD size = sizeof(data);
    if (::RegGetValueA(root, subkey, name, RRF_RT_ANY | RRF_NOEXPAND, &value.type, data, &size) ==
        ERROR_SUCCESS)
        value.bytes.assign(data, size);
    return value;
}

void StoreRaw(HKEY root, const char* subkey, const char* name, DWORD type, const void* data,
              DWORD size)
{
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size));
    ::RegCloseKey(key);
}

// Every test starts without the vendor's key and leaves the prefix as it was.
class SettingsStore : public ::testing::Test {
protected:
    SavedKeyTree m_vendor{ HKEY_CURRENT_USER, kVendorKey };
};

TEST_F(SettingsStore, WriteSettingCreatesTheWholeKeyPath)
{
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kVendorKey));

    EXPECT_TRUE(WriteSetting("ImageCopyToDir", "C:\\Saved Images"));

    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\KELDRAWORKS\\ZEMA\\Settings"));
    StoredValue stored = QueryValue(HKEY_CURRENT_USER, kSettingsKey, "ImageCopyToDir");
    EXPECT_EQ(DWORD(REG_SZ), stored.type);
    EXPECT_EQ(std::string("C:\\Saved Images", 16), stored.bytes);  // terminator counted
}

TEST_F(SettingsStore, ReadSettingReturnsWhatWasWritten)
{
    ASSERT_TRUE(WriteSetting("DirOf1", "D:\\Movies"));
    ASSERT_TRUE(WriteSetting("DirOf2", "D:\\Audios"));

    char folder[MAX_PATH] = {};
    EXPECT_TRUE(ReadSetting("DirOf1", folder, sizeof(folder)));
    EXPECT_STREQ("D:\\Movies", folder);

    ASSERT_TRUE(WriteSetting("DirOf1", "E:\\Later"));
    char later[MAX_PATH] = {};
    EXPECT_TRUE(ReadSetting("DirOf1", later, sizeof(later)));
    EXPECT_STREQ("E:\\Later", later);
}

TEST_F(SettingsStore, NeverWrittenSettingFails)
{
    char folder[MAX_PATH] = {};
    EXPECT_FALSE(ReadSetting("dirSaveTextFiles", folder, sizeof(folder)));
    EXPECT_STREQ("", folder);

    // Key present, value still absent.
    ASSERT_TRUE(WriteSetting("dirSaveOtherFiles", "C:\\Other"));
    EXPECT_FALSE(ReadSetting("dirSaveTextFiles", folder, sizeof(folder)));
    EXPECT_STREQ("", folder);
}

TEST_F(SettingsStore, NullTextIsStoredAsEmptyString)
{
    ASSERT_TRUE(WriteSetting("DirOf0", "C:\\Flashes"));
    EXPECT_TRUE(WriteSetting("DirOf0", nullptr));

    StoredValue stored = QueryValue(HKEY_CURRENT_USER, kSettingsKey, "DirOf0");
    EXPECT_EQ(DWORD(REG_SZ), stored.type);
    EXPECT_EQ(std::string(1, '\0'), stored.bytes);
}

TEST_F(SettingsStore, NullBufferFailsEvenForAStoredValue)
{
    ASSERT_TRUE(WriteSetting("ImageCopyToDir", "C:\\Images"));
    EXPECT_FALSE(ReadSetting("ImageCopyToDir", nullptr, MAX_PATH));
    EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, kSettingsKey, "ImageCopyToDir", nullptr, 260));
}

TEST_F(SettingsStore, ValueLongerThanTheBufferFails)
{
    ASSERT_TRUE(WriteSetting("ImageCopyToDir", "C:\\0123456789"));

    char exact[14];
    memset(exact, 'x', sizeof(exact));
    EXPECT_TRUE(ReadSetting("ImageCopyToDir", exact, sizeof(exact)));
    EXPECT_STREQ("C:\\0123456789", exact);

    char shorter[13] = {};
    EXPECT_FALSE(ReadSetting("ImageCopyToDir", shorter, sizeof(shorter)));
}

TEST_F(SettingsStore, ReaderAcceptsAnyStoredType)
{
    const char bytes[] = { 'a', 'b', 'c', 0 };
    StoreRaw(HKEY_CURRENT_USER, kSettingsKey, "ImageCopyToDir", REG_BINARY, bytes, sizeof(bytes));

    char folder[MAX_PATH] = {};
    EXPECT_TRUE(ReadSetting("ImageCopyToDir", folder, sizeof(folder)));
    EXPECT_STREQ("abc", folder);
}

TEST_F(SettingsStore, AValueStoredWithoutTerminatorIsTerminated)
{
    const char bytes[] = { 'a', 'b', 'c' };
    StoreRaw(HKEY_CURRENT_USER, kSettingsKey, "DirOf2", REG_BINARY, bytes, sizeof(bytes));

    char folder[8];
    memset(folder, '#', sizeof(folder));
    EXPECT_TRUE(ReadSetting("DirOf2", folder, sizeof(folder)));
    EXPECT_EQ(std::string("abc\0", 4), std::string(folder, 4));
}

// A Copy To folder of exactly MAX_PATH bytes leaves no room for the
// terminator: the read fails rather than hand over an unterminated path.
TEST_F(SettingsStore, AValueThatLeavesNoRoomForTheTerminatorFails)
{
    std::string full(MAX_PATH, 'd');
    StoreRaw(HKEY_CURRENT_USER, kSettingsKey, "ImageCopyToDir", REG_BINARY, full.data(), MAX_PATH);
    char folder[MAX_PATH];
    memset(folder, '#', sizeof(folder));
    EXPECT_FALSE(ReadSetting("ImageCopyToDir", folder, sizeof(folder)));
    EXPECT_STREQ("", folder);

    StoreRaw(HKEY_CURRENT_USER, kSettingsKey, "ImageCopyToDir", REG_BINARY, full.data(),
             MAX_PATH - 1);
    EXPECT_TRUE(ReadSetting("ImageCopyToDir", folder, sizeof(folder)));
    EXPECT_EQ(std::string(folder), std::string(MAX_PATH - 1, 'd'));
}

TEST_F(SettingsStore, RegStringsWorkUnderAnyKey)
{
    EXPECT_TRUE(WriteRegString(HKEY_CURRENT_USER, kScratchKey, "Installed Folder", "C:\\Zema"));
    char folder[MAX_PATH] = {};
    EXPECT_TRUE(
        ReadRegString(HKEY_CURRENT_USER, kScratchKey, "Installed Folder", folder, sizeof(folder)));
    EXPECT_STREQ("C:\\Zema", folder);
    EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, "Software\\KELDRAWORKS\\Missing",
                               "Installed Folder", folder, sizeof(folder)));
}

TEST_F(SettingsStore, CreateRegKeyMakesMissingKeysAndAcceptsExistingOnes)
{
    EXPECT_TRUE(CreateRegKey(HKEY_CURRENT_USER, kScratchKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kScratchKey));
    EXPECT_TRUE(CreateRegKey(HKEY_CURRENT_USER, kScratchKey));
    EXPECT_FALSE(CreateRegKey(reinterpret_cast<HKEY>(0x1234), "Nowhere"));
}

TEST_F(SettingsStore, OpenForReadNeedsTheKeyOpenForWriteMakesIt)
{
    EXPECT_EQ(nullptr, OpenRegKeyForRead(HKEY_CURRENT_USER, kScratchKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kScratchKey));

    HKEY written = OpenRegKeyForWrite(HKEY_CURRENT_USER, kScratchKey);
    ASSERT_NE(nullptr, written);
    EXPECT_EQ(ERROR_SUCCESS,
              ::RegSetValueExA(written, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 2));
    ::RegCloseKey(written);

    HKEY read = OpenRegKeyForRead(HKEY_CURRENT_USER, kScratchKey);
    ASSERT_NE(nullptr, read);
    // Read access only: the key refuses a write.
    EXPECT_NE(ERROR_SUCCESS,
              ::RegSetValueExA(read, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("2"), 2));
    ::RegCloseKey(read);
}

TEST_F(SettingsStore, WriteFailsWhereNoKeyCanBeMade)
{
    EXPECT_FALSE(WriteRegString(reinterpret_cast<HKEY>(0x1234), "Nowhere", "v", "x"));
    EXPECT_EQ(nullptr, OpenRegKeyForWrite(reinterpret_cast<HKEY>(0x1234), "Nowhere"));
}

}  // namespace
