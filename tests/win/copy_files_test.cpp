// Copy To's copying on real folders under Wine, down to a disk that fills.
#include "browser/copy_files.h"
#include "tests/win/temp_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// A folder on a disk of its own that holds 512 KiB, mounted on the host for
// the test; mounting needs root.
class SmallDisk {
public:
    SmallDisk() : m_folder(m_tree.AddFolder("disk"))
    {
        std::string mountPoint = UnixPath(m_folder);
        m_mounted =
            !mountPoint.empty() &&
            RunHostCommand("mount -t tmpfs -o size=512k zema-small-disk '" + mountPoint + "'") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            RunHostCommand("umount '" + UnixPath(m_folder) + "'");
    }

    bool Mounted() const { return m_mounted; }
    const std::string& Folder() const { return m_folder; }

private:
    TempTree m_tree;
    std::string m_folder;
    bool m_mounted = false;
};

std::vector<std::string> FileNames(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.emplace_back(entry.cFileName);
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Content(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace

// The large file fills the disk part way; the small one, of the same name from
// another folder, then fits under that name.
TEST(CopyTo, ACopyThatFailsPartWayLeavesNothingBehind)
{
    TempTree cache;
    std::string large = cache.AddFile("AB12\\doc[1].pdf", std::string(600000, 'p'));
    std::string small = cache.AddFile("CD34\\doc[1].pdf", "%PDF small");
    SmallDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "a small disk could not be mounted (that needs root)";
    std::vector<std::string> failed =
        CopyFilesToFolder(nullptr, { large, small }, disk.Folder().c_str());
    EXPECT_EQ(failed, std::vector<std::string>{ large });
    EXPECT_EQ(FileNames(disk.Folder()), std::vector<std::string>{ "doc[1].pdf" })
        << "no part of the failed copy, under its name or another";
    EXPECT_EQ(Content(disk.Folder() + "\\doc[1].pdf"), "%PDF small");
}

TEST(CopyTo, ANameTheFolderHoldsIsNeverOverwritten)
{
    TempTree cache, target;
    std::string first = cache.AddFile("AB12\\page.htm", "first");
    std::string second = cache.AddFile("CD34\\page.htm", "second");
    target.AddFile("page.htm", "kept");
    EXPECT_TRUE(CopyFilesToFolder(nullptr, { first, second }, target.Root().c_str()).empty());
    EXPECT_EQ(FileNames(target.Root()),
              (std::vector<std::string>{ "page (2).htm", "page (3).htm", "page.htm" }));
    EXPECT_EQ(Content(target.Root() + "\\page.htm"), "kept");
    EXPECT_EQ(Content(target.Root() + "\\page (3).htm"), "second");
}
