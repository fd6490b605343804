// The one path rule of the cache walker and the installer.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/normalize_path.h"

namespace {

std::string Normalized(const char* path)
{
    char buffer[260] = {};
    std::snprintf(buffer, sizeof buffer, "%s", path);
    NormalizePath(buffer);
    return buffer;
}

TEST(NormalizePath, TurnsSlashesIntoBackslashes)
{
    EXPECT_EQ(Normalized("C:/Apps/Zema"), "C:\\Apps\\Zema");
    EXPECT_EQ(Normalized("D:/Apps//Zema/"), "D:\\Apps\\Zema");
    EXPECT_EQ(Normalized("a/"), "a\\");  // short paths only get the slashes turned
}

TEST(NormalizePath, CollapsesRunsFromTheThirdCharacterOn)
{
    EXPECT_EQ(Normalized("C:\\\\\\Apps\\\\Zema"), "C:\\Apps\\Zema");
    EXPECT_EQ(Normalized("\\\\server\\\\share"), "\\\\server\\share");
    EXPECT_EQ(Normalized("//server//share/"), "\\\\server\\share");
    EXPECT_EQ(Normalized("\\\\\\server"), "\\\\\\server");  // the first two are left alone
}

TEST(NormalizePath, DropsTrailingBackslashesButNotFromADriveRoot)
{
    EXPECT_EQ(Normalized("C:\\a\\"), "C:\\a");
    EXPECT_EQ(Normalized("C:\\a\\\\\\"), "C:\\a");
    EXPECT_EQ(Normalized("C:\\"), "C:\\");
    EXPECT_EQ(Normalized("C:\\\\"), "C:\\");
    EXPECT_EQ(Normalized("C:/"), "C:\\");
}

TEST(NormalizePath, LeavesShortAndCleanPathsAlone)
{
    EXPECT_EQ(Normalized(""), "");
    EXPECT_EQ(Normalized("\\\\"), "\\\\");
    EXPECT_EQ(Normalized("C:"), "C:");
    EXPECT_EQ(Normalized("C:\\Program Files\\KeldraWorks\\ZEMA\\ZEMA.exe"),
              "C:\\Program Files\\KeldraWorks\\ZEMA\\ZEMA.exe");
}

}  // namespace
