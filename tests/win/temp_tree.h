// A folder tree of the test's own under the temporary folder, removed with
// the object.
#pragma once
#include <windows.h>

#include <string>

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& Root() const { return m_root; }
    // Creates the file (and its folders) under the root; returns its path.
    std::string AddFile(const std::string& relative, const std::string& content = "x");
    std::string AddFolder(const std::string& relative);
    // A symbolic link to a folder (an absolute path); false when none was
    // made.
    bool AddLink(const std::string& relative, const std::string& target);
    // Sets the file's last-write time to a local calendar time.
    static void SetLocalWriteTime(const std::string& path, WORD year, WORD month, WORD day,
                                  WORD hour, WORD minute);

private:
    std::string m_root;
};

// A 24-bit BMP file of 2 by 2 grey pixels, a picture for a tree.
std::string GreyBmp();

// Under Wine: the host's path of a Windows path (empty elsewhere), and a
// host shell command (without double quotes) run to its end: its exit code,
// -1 when it could not run.
std::string UnixPath(const std::string& path);
int RunHostCommand(const std::string& command);

// Points the shell's Internet cache folder at a folder for the object's
// lifetime, through the current user's "User Shell Folders".
class CacheFolderOverride {
public:
    explicit CacheFolderOverride(const std::string& folder);
    ~CacheFolderOverride();

private:
    bool m_hadValue = false;
    DWORD m_type = REG_EXPAND_SZ;
    std::string m_saved;
};
