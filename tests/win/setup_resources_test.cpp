// The built installer read as data: its dialog template, its icon, and the
// viewer it carries, compared byte for byte with the viewer of this build.
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

#include "tests/win/dialog_template.h"
#include "setup/setup_resource.h"

namespace {

// The build hands over host paths; Wine shows the host's root as drive Z:.
std::string WindowsPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path[0] == '\\' ? "Z:" + path : path;
}

class SetupResources : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_module = ::LoadLibraryExA(WindowsPath(ZEMA_SETUP_EXE).c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
    }
    void TearDown() override { ::FreeLibrary(m_module); }

    HMODULE m_module = nullptr;
};

TEST_F(SetupResources, TheDialogHasItsControlsFontAndSize)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(m_module, IDD_SETUP, dialog));
    EXPECT_EQ(dialog.cx, 256);
    EXPECT_EQ(dialog.cy, 135);
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 9);

    struct Expected {
        int id;
        const char* cls;
        const char* text;
        DWORD type;
    };
    const Expected expected[] = {
        { IDC_NEW_INSTALL, "Button", "New Install", BS_AUTORADIOBUTTON },
        { IDC_REINSTALL, "Button", "Re-install (Your data will not be affected)",
          BS_AUTORADIOBUTTON },
        { IDC_REMOVE, "Button", "Remove (Uninstall)", BS_AUTORADIOBUTTON },
        { IDC_BROWSE, "Button", "...", BS_PUSHBUTTON },
        { IDOK, "Button", "OK", BS_DEFPUSHBUTTON },
        { IDCANCEL, "Button", "Cancel", BS_PUSHBUTTON },
        { IDC_FOLDER, "Edit", "", 0 },
    };
    for (const Expected& want : expected) {
        const DialogItem* found = nullptr;
        for (const DialogItem& item : dialog.items)
            if (item.id == want.id)
                found = &item;
        ASSERT_NE(found, nullptr) << want.text;
        EXPECT_EQ(found->className, want.cls);
        EXPECT_EQ(found->text, want.text);
        if (want.id != IDC_FOLDER) {
            EXPECT_EQ(found->style & BS_TYPEMASK, want.type) << want.text;
        }
    }

    int icons = 0, separators = 0, title = 0, label = 0, groupStarts = 0;
    for (const DialogItem& item : dialog.items) {
        bool isStatic = item.className == "Static";
        icons += isStatic && (item.style & SS_TYPEMASK) == SS_ICON;
        separators += isStatic && (item.style & SS_TYPEMASK) == SS_ETCHEDHORZ;
        title += isStatic && item.text == "ZEMA Setup";
        label += isStatic && item.text == "Folder:";
        groupStarts +=
            item.id >= IDC_NEW_INSTALL && item.id <= IDC_REMOVE && (item.style & WS_GROUP);
    }
    EXPECT_EQ(icons, 1);
    EXPECT_EQ(separators, 2);
    EXPECT_EQ(title, 1);
    EXPECT_EQ(label, 1);
    EXPECT_EQ(groupStarts, 1) << "the three radio buttons make one group";
}

TEST_F(SetupResources, TheIconIsThere)
{
    EXPECT_NE(::FindResourceA(m_module, MAKEINTRESOURCEA(IDI_SETUP), RT_GROUP_ICON), nullptr);
}

TEST_F(SetupResources, ThePayloadIsTheBuiltViewerByteForByte)
{
    HRSRC resource = ::FindResourceA(m_module, MAKEINTRESOURCEA(IDR_PAYLOAD), "BIN");
    ASSERT_NE(resource, nullptr);
    const char* bytes =
        static_cast<const char*>(::LockResource(::LoadResource(m_module, resource)));
    std::string payload(bytes, ::SizeofResource(m_module, resource));

    std::ifstream viewer(WindowsPath(ZEMA_VIEWER_EXE), std::ios::binary);
    ASSERT_TRUE(viewer.good());
    std::ostringstream built;
    built << viewer.rdbuf();
    EXPECT_EQ(payload.size(), built.str().size());
    EXPECT_TRUE(payload == built.str());
    EXPECT_EQ(payload.substr(0, 2), "MZ");
}

}  // namespace
