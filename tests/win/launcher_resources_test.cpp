// The viewer's dialog templates, icon and link cursor, as compiled into the
// program's resources.
#include "tests/win/dialog_template.h"
#include "res/resource.h"
#include "widgets/link_cursor.h"

#include <gtest/gtest.h>

namespace {

const DialogItem* FindItem(const DialogTemplate& dialog, int id, const char* text)
{
    for (const DialogItem& item : dialog.items)
        if (item.id == id && item.text == text)
            return &item;
    return nullptr;
}

TEST(LauncherTemplate, HasTheTenControlsAtTheirPlaces)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, IDD_LAUNCHER, dialog));
    EXPECT_EQ(dialog.title, "Zema");
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.cx, 256);
    EXPECT_EQ(dialog.cy, 76);

    struct Expected {
        int id;
        const char* cls;
        const char* text;
        short x, y, cx, cy;
    };
    const Expected expected[] = {
        { 1000, "Button", "Images", 7, 7, 80, 16 },
        { 1001, "Button", "Flashes", 88, 7, 80, 16 },
        { 1002, "Button", "Movies", 169, 7, 80, 16 },
        { 1003, "Button", "Audios", 7, 25, 80, 16 },
        { 1007, "Button", "Text Files..", 88, 25, 80, 16 },
        { 1005, "Button", "Other Files..", 169, 25, 80, 16 },
        { -1, "Static", "", 7, 48, 242, 1 },
        { 1047, "Button", "Caches...", 97, 55, 50, 14 },
        { 1046, "Button", "About...", 148, 55, 50, 14 },
        { 1006, "Button", "Close", 199, 55, 50, 14 },
    };
    ASSERT_EQ(dialog.items.size(), std::size(expected));
    for (const Expected& want : expected) {
        const DialogItem* item = FindItem(dialog, want.id, want.text);
        ASSERT_NE(item, nullptr) << want.text;
        EXPECT_EQ(item->className, want.cls) << want.text;
        EXPECT_EQ(item->x, want.x) << want.text;
        EXPECT_EQ(item->y, want.y) << want.text;
        EXPECT_EQ(item->cx, want.cx) << want.text;
        EXPECT_EQ(item->cy, want.cy) << want.text;
        if (want.id == -1)
            EXPECT_EQ(item->style & SS_TYPEMASK, static_cast<DWORD>(SS_ETCHEDHORZ));
        else
            EXPECT_EQ(item->style & BS_TYPEMASK, static_cast<DWORD>(BS_PUSHBUTTON)) << want.text;
    }
}

TEST(LauncherTemplate, IsAPopupWithCaptionAndNoMinimiseOrMaximiseBox)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, IDD_LAUNCHER, dialog));
    const DWORD required =
        WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    EXPECT_EQ(dialog.style & required, required);
    EXPECT_EQ(dialog.style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0u);
    EXPECT_EQ(dialog.exStyle & WS_EX_APPWINDOW, static_cast<DWORD>(WS_EX_APPWINDOW));
}

TEST(AboutTemplate, HasVersionLinkIconAndDefaultOk)
{
    DialogTemplate dialog;
    ASSERT_TRUE(LoadDialogTemplate(nullptr, IDD_ABOUT, dialog));
    EXPECT_EQ(dialog.title, "About");
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_NE(FindItem(dialog, -1, "Zema Version 3.2"), nullptr);
    const DialogItem* ok = FindItem(dialog, IDOK, "OK");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON));
    bool hasLink = false, hasIcon = false, hasSeparator = false;
    for (const DialogItem& item : dialog.items) {
        hasLink |= item.id == IDC_PRODUCT_LINK && item.className == "Static" && !item.text.empty();
        hasIcon |= item.className == "Static" && (item.style & SS_TYPEMASK) == SS_ICON &&
                   item.text == "#" + std::to_string(IDR_MAINFRAME);
        hasSeparator |= (item.style & SS_TYPEMASK) == SS_ETCHEDHORZ;
    }
    EXPECT_TRUE(hasLink);
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(hasSeparator);
}

TEST(ApplicationIcon, HasALargeAndASmallImage)
{
    for (int size : { 32, 16 }) {
        HICON icon = static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                     MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                                                     size, size, LR_DEFAULTCOLOR));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(icon, &info));
        BITMAP colour = {};
        ::GetObjectA(info.hbmColor, sizeof colour, &colour);
        EXPECT_EQ(colour.bmWidth, size);
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(icon);
    }
}

// The link cursor as the system holds it: a monochrome 32 by 32 cursor, so its
// mask bitmap is the AND mask above the XOR mask.
TEST(LinkCursor, IsTheHandOfItsMasksWithTheHotSpotAtTheFingerTip)
{
    HCURSOR cursor = GetLinkCursor();
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(GetLinkCursor(), cursor) << "one cursor for the whole run";
    ICONINFO info = {};
    ASSERT_TRUE(::GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr);

    BITMAP mask = {};
    ::GetObjectA(info.hbmMask, sizeof mask, &mask);
    ASSERT_EQ(mask.bmWidth, 32);
    ASSERT_EQ(mask.bmHeight, 64);
    unsigned char bits[64 * 4] = {};
    ASSERT_EQ(::GetBitmapBits(info.hbmMask, sizeof bits, bits), static_cast<LONG>(sizeof bits));
    auto row = [&](int plane, int r) {
        const unsigned char* b = bits + (plane * 32 + r) * 4;
        return (unsigned(b[0]) << 24) | (unsigned(b[1]) << 16) | (unsigned(b[2]) << 8) | b[3];
    };
    EXPECT_EQ(row(0, 0), 0xf9ffffffu);
    EXPECT_EQ(row(0, 10), 0x00007fffu);
    EXPECT_EQ(row(0, 21), 0xf801ffffu);
    EXPECT_EQ(row(1, 8), 0x06da0000u);
    EXPECT_EQ(row(1, 13), 0x17ff0000u);
    EXPECT_EQ(row(1, 21), 0x00000000u);
    for (int r = 22; r < 32; ++r) {
        EXPECT_EQ(row(0, r), 0xffffffffu) << r;
        EXPECT_EQ(row(1, r), 0u) << r;
    }
    ::DeleteObject(info.hbmMask);
}

}  // namespace
