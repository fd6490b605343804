// Thumbnails as the image scan builds them: decoded, filtered by size,
// placed on their tiles, and read back as the list draws them.
#include "images/image_list_view.h"
#include "images/thumbnail_tile.h"
#include "scan/filter_rules.h"
#include "tests/win/scan_host.h"
#include "tests/win/temp_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace {

// A 24-bit BMP file of one colour.
std::string SolidBmp(int width, int height, BYTE red, BYTE green, BYTE blue)
{
    const int stride = (width * 3 + 3) & ~3;
    const DWORD pixelBytes = static_cast<DWORD>(stride) * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string out(reinterpret_cast<const char*>(&file), sizeof file);
    out.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(static_cast<size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<char>(blue);
        row[x * 3 + 1] = static_cast<char>(green);
        row[x * 3 + 2] = static_cast<char>(red);
    }
    for (int y = 0; y < height; ++y)
        out += row;
    return out;
}

struct Box {
    int left = -1, top = -1, right = -1, bottom = -1;  // of the non-white pixels
    bool operator==(const Box& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

std::ostream& operator<<(std::ostream& out, const Box& box)
{
    return out << "(" << box.left << ", " << box.top << ")-(" << box.right << ", " << box.bottom
               << ")";
}

// The tile as the list draws the row: the image its display request names,
// read at once, as its slot may hold another tile later. 32-bit pixels,
// top-down.
std::vector<uint32_t> RowTile(CImageListView& view, int row, int edge)
{
    LVITEMA request = {};
    request.mask = LVIF_IMAGE;
    request.iItem = row;
    view.SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&request));
    auto list = reinterpret_cast<HIMAGELIST>(view.SendMessage(LVM_GETIMAGELIST, LVSIL_NORMAL));
    IMAGEINFO info = {};
    if (request.iImage < 0 || !ImageList_GetImageInfo(list, request.iImage, &info))
        return {};
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    BITMAP whole = {};
    ::GetObjectA(info.hbmImage, sizeof whole, &whole);
    format.bmiHeader.biWidth = whole.bmWidth;
    format.bmiHeader.biHeight = -whole.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> pixels(static_cast<size_t>(whole.bmWidth) * whole.bmHeight);
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, info.hbmImage, 0, whole.bmHeight, pixels.data(), &format, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    std::vector<uint32_t> tile;
    for (int y = 0; y < edge; ++y)
        for (int x = 0; x < edge; ++x)
            tile.push_back(pixels[static_cast<size_t>(info.rcImage.top + y) * whole.bmWidth +
                                  info.rcImage.left + x] &
                           0xFFFFFF);
    return tile;
}

// Where a tile is not white.
Box PaintedPart(const std::vector<uint32_t>& tile, int edge)
{
    Box box;
    for (int y = 0; y < edge && !tile.empty(); ++y) {
        for (int x = 0; x < edge; ++x) {
            if (tile[static_cast<size_t>(y) * edge + x] == 0xFFFFFF)
                continue;
            if (box.left < 0 || x < box.left)
                box.left = x;
            if (box.top < 0 || y < box.top)
                box.top = y;
            if (x + 1 > box.right)
                box.right = x + 1;
            if (y + 1 > box.bottom)
                box.bottom = y + 1;
        }
    }
    return box;
}

FilterOptions BmpFilters(int32_t sizeMode, uint32_t width, uint32_t height)
{
    FilterOptions filters;
    filters.sizeMode = sizeMode;
    filters.width = width;
    filters.height = height;
    filters.typeList = "bmp";
    return filters;
}

class ThumbnailScan : public ::testing::Test {
protected:
    void SetUp() override { view.SubclassWindow(host.List()); }

    void AddPicture(const std::string& name, int width, int height, BYTE red = 200)
    {
        tree.AddFile("AB12CD34\\" + name, SolidBmp(width, height, red, 30, 30));
    }
    void Scan(int32_t sizeMode = AnySize, uint32_t width = 0, uint32_t height = 0)
    {
        view.StartScan(BmpFilters(sizeMode, width, height));
        ASSERT_TRUE(host.PumpUntil([&] { return !view.IsRunning(); }, 30000));
    }
    std::map<std::string, const ImageItem*> Rows()
    {
        std::map<std::string, const ImageItem*> rows;
        for (int i = 0; i < view.GetItemCount(); ++i)
            rows[RowName(i)] = static_cast<const ImageItem*>(view.Row(i));
        return rows;
    }
    std::string RowName(int row) { return FileNamePart(view.Row(row)->path); }
    int RowOf(const std::string& name)
    {
        for (int i = 0; i < view.GetItemCount(); ++i)
            if (RowName(i) == name)
                return i;
        return -1;
    }

    TempTree tree;
    CacheFolderOverride cache{ tree.Root() };
    ScanHost host;
    CImageListView view;
};

TEST_F(ThumbnailScan, WorkedTilesArePlacedOnTheirTiles)
{
    struct Case {
        const char* name;
        int w, h;
        Box painted;
    };
    const Case cases[] = {
        { "wide.bmp", 300, 200, { 0, 20, 120, 100 } },
        { "tall.bmp", 200, 300, { 20, 0, 100, 120 } },
        { "square.bmp", 640, 640, { 0, 0, 120, 120 } },
        { "small.bmp", 100, 60, { 10, 30, 110, 90 } },
        { "line.bmp", 121, 1, { 0, 59, 120, 60 } },
        // Its short side would round to nothing: it keeps one pixel.
        { "strip.bmp", 1000, 4, { 0, 59, 120, 60 } },
    };
    for (const Case& c : cases)
        AddPicture(c.name, c.w, c.h);
    tree.AddFile("AB12CD34\\broken.bmp", "not a picture at all");
    Scan();
    auto rows = Rows();
    ASSERT_EQ(rows.size(), std::size(cases)) << "the broken file has no row";
    for (const Case& c : cases) {
        const ImageItem* item = rows[c.name];
        ASSERT_NE(item, nullptr) << c.name;
        EXPECT_EQ(item->width, static_cast<uint32_t>(c.w)) << c.name;
        EXPECT_EQ(item->height, static_cast<uint32_t>(c.h)) << c.name;
        EXPECT_EQ(PaintedPart(RowTile(view, RowOf(c.name), 120), 120), c.painted) << c.name;
    }
}

TEST_F(ThumbnailScan, RowsShowTheFileNameAndTheirOwnTile)
{
    AddPicture("logo[1].bmp", 40, 40);
    AddPicture("other.bmp", 50, 30);
    Scan();
    ASSERT_EQ(view.GetItemCount(), 2);
    EXPECT_EQ(RowTexts(view), (std::vector<std::string>{ RowName(0), RowName(1) }));
    EXPECT_EQ(PaintedPart(RowTile(view, RowOf("logo[1].bmp"), 120), 120), (Box{ 40, 40, 80, 80 }));
    EXPECT_EQ(PaintedPart(RowTile(view, RowOf("other.bmp"), 120), 120), (Box{ 35, 45, 85, 75 }));
}

// Far fewer tiles kept in memory and slots to draw from than pictures: most
// tiles come back from the temporary file, and every slot is reused several
// times, as in a scan of tens of thousands of pictures.
TEST_F(ThumbnailScan, EveryRowKeepsItsOwnTilePastTheMemoryAndTheSlots)
{
    constexpr int pictures = 40;
    for (int i = 0; i < pictures; ++i)
        AddPicture("p" + std::to_string(i) + ".bmp", 60, 60, static_cast<BYTE>(5 * i));
    view.LimitTiles(3 * TileBytes(120), 4);
    Scan();
    ASSERT_EQ(view.GetItemCount(), pictures);
    auto colourOf = [&](int row) {
        std::vector<uint32_t> tile = RowTile(view, row, 120);
        return tile.empty() ? 0xFFFFFFFFu : tile[60 * 120 + 60];
    };
    // First, middle and last, then every row backwards and forwards again.
    std::vector<int> order = { 0, pictures / 2, pictures - 1 };
    for (int row = pictures - 1; row >= 0; --row)
        order.push_back(row);
    for (int row = 0; row < pictures; ++row)
        order.push_back(row);
    for (int row : order) {
        int picture = std::stoi(RowName(row).substr(1));
        EXPECT_EQ(colourOf(row), (5u * picture) << 16 | 30u << 8 | 30u) << RowName(row);
    }
}

TEST_F(ThumbnailScan, TheSizeTestUsesTheDecodedSize)
{
    AddPicture("a.bmp", 99, 150);
    AddPicture("b.bmp", 150, 99);
    AddPicture("c.bmp", 50, 50);
    AddPicture("d.bmp", 100, 100);
    Scan(SmallerThan, 100, 100);
    auto rows = Rows();
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.count("c.bmp"), 1u);
}

TEST_F(ThumbnailScan, AStoppedScanAddsNothingMore)
{
    for (int i = 0; i < 40; ++i)
        AddPicture("p" + std::to_string(i) + ".bmp", 300, 300);
    view.SetPaused(true);
    view.StartScan(BmpFilters(AnySize, 0, 0));
    ::Sleep(250);
    EXPECT_FALSE(view.RequestStop());
    ASSERT_TRUE(host.PumpUntil([&] { return host.CancelsReceived() == 1; }, 2000));
    EXPECT_FALSE(view.IsRunning());
    EXPECT_LE(view.GetItemCount(), 1);
}

}  // namespace
