// The HTML reports as a browser shows them, in Debian's headless chromium:
// pictures of one colour each go through the thumbnail path and the PNG
// writer into a contact sheet whose screenshot shows each thumbnail's colour
// on as many pixels as its picture has on the tile; a table's header clicks
// sort its rows.
#include "images/thumbnail.h"
#include "images/thumbnail_tile.h"
#include "reports/png_encoder.h"
#include "reports/report_writer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kEdge = 96;

struct Colour {
    uint8_t red, green, blue;
};

struct Picture {
    const char* name;
    uint32_t width, height;
    Colour colour;
};

// Far from the page's own white, greys and link blue, and from each other.
const Picture kPictures[] = {
    { "red.bmp", 120, 80, { 220, 30, 30 } },
    { "green.bmp", 60, 100, { 30, 160, 60 } },
    { "amber.bmp", 200, 50, { 240, 180, 0 } },
    { "purple.bmp", 90, 90, { 150, 40, 200 } },
};

void PutLittleEndian(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A 24-bit BMP of one colour.
std::vector<uint8_t> SolidBmp(const Picture& picture)
{
    const uint32_t stride = (picture.width * 3 + 3) & ~3u;
    std::vector<uint8_t> bytes(54 + size_t(stride) * picture.height, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLittleEndian(bytes, 2, static_cast<uint32_t>(bytes.size()), 4);
    PutLittleEndian(bytes, 10, 54, 4);
    PutLittleEndian(bytes, 14, 40, 4);
    PutLittleEndian(bytes, 18, picture.width, 4);
    PutLittleEndian(bytes, 22, picture.height, 4);
    PutLittleEndian(bytes, 26, 1, 2);
    PutLittleEndian(bytes, 28, 24, 2);
    for (uint32_t y = 0; y < picture.height; ++y) {
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint8_t* pixel = &bytes[54 + size_t(stride) * y + 3 * x];
            pixel[0] = picture.colour.blue;
            pixel[1] = picture.colour.green;
            pixel[2] = picture.colour.red;
        }
    }
    return bytes;
}

std::string Temp(const std::string& name)
{
    return std::string(ZEMA_TEST_TEMP) + "/" + name;
}

class FileOutput : public ReportOutput {
public:
    explicit FileOutput(const std::string& path) : m_file(path, std::ios::binary) {}
    bool Write(const char* data, size_t size) override
    {
        m_file.write(data, static_cast<std::streamsize>(size));
        return m_file.good();
    }

private:
    std::ofstream m_file;
};

struct Screenshot {
    uint32_t width = 0, height = 0;
    std::string rgb;
};

// ImageMagick's PPM of the PNG: "P6 width height 255" and the pixels.
bool ReadScreenshot(const std::string& png, Screenshot& shot)
{
    const std::string ppm = Temp("sheet-shot.ppm");
    std::remove(ppm.c_str());
    if (std::system(("convert " + png + " -depth 8 ppm:" + ppm).c_str()) != 0)
        return false;
    std::ifstream file(ppm, std::ios::binary);
    std::string magic;
    unsigned maximum = 0;
    file >> magic >> shot.width >> shot.height >> maximum;
    file.get();
    if (magic != "P6" || maximum != 255)
        return false;
    shot.rgb.assign(std::istreambuf_iterator<char>(file), {});
    return shot.rgb.size() == size_t(shot.width) * shot.height * 3;
}

uint64_t PixelsOf(const Screenshot& shot, const Colour& colour)
{
    auto near = [](char value, uint8_t wanted) {
        const int difference = static_cast<uint8_t>(value) - int(wanted);
        return difference >= -12 && difference <= 12;
    };
    uint64_t count = 0;
    for (size_t at = 0; at + 2 < shot.rgb.size(); at += 3) {
        if (near(shot.rgb[at], colour.red) && near(shot.rgb[at + 1], colour.green) &&
            near(shot.rgb[at + 2], colour.blue))
            ++count;
    }
    return count;
}

// Runs chromium on the page with the given options, its output to log; its
// exit status. A profile of its own, so no user's chromium state is read or
// changed.
int RunChromium(const std::string& page, const std::string& options, const std::string& log)
{
    const std::string command = "timeout 90 chromium --headless --no-sandbox --disable-gpu "
                                "--no-first-run --user-data-dir=" +
                                Temp("chromium-profile") + " " + options + " file://" + page +
                                " >" + log + " 2>" + log + ".err";
    return std::system(command.c_str());
}

bool HasChromium()
{
    return std::system("command -v chromium >/dev/null 2>&1") == 0;
}

TEST(ReportsInChromium, ContactSheetShowsEveryThumbnail)
{
    if (!HasChromium())
        GTEST_SKIP() << "no chromium on this machine";

    std::vector<uint64_t> drawn;
    {
        FileOutput output(Temp("sheet.html"));
        std::unique_ptr<ReportWriter> writer =
            MakeReportWriter(ReportFormat::Html, ReportKind::Pictures, output);
        ASSERT_TRUE(writer->Begin("Pictures"));
        for (const Picture& picture : kPictures) {
            const std::vector<uint8_t> bmp = SolidBmp(picture);
            const Thumbnail thumbnail =
                MakeThumbnail(PictureBytes::Memory(bmp.data(), bmp.size(), kImageUnknown), kEdge,
                              kThumbnailMemoryBudget, {});
            ASSERT_EQ(thumbnail.status, ThumbnailStatus::kDone) << picture.name;
            drawn.push_back(uint64_t(thumbnail.fit.width) * thumbnail.fit.height);
            ReportRow row;
            row.name = picture.name;
            row.url = std::string("http://127.0.0.1/") + picture.name;
            row.width = thumbnail.sourceWidth;
            row.height = thumbnail.sourceHeight;
            row.decodedSize = bmp.size();
            row.thumbnail =
                EncodePng(thumbnail.tile.get(), kEdge, kEdge, TileBytes(kEdge) / kEdge, true);
            row.thumbnailType = "image/png";
            ASSERT_FALSE(row.thumbnail.empty());
            ASSERT_TRUE(writer->Row(row));
        }
        ASSERT_TRUE(writer->End());
    }

    const std::string shot = Temp("sheet.png");
    std::remove(shot.c_str());
    ASSERT_EQ(RunChromium(Temp("sheet.html"),
                          "--hide-scrollbars --force-device-scale-factor=1 "
                          "--window-size=1000,600 --screenshot=" +
                              shot,
                          Temp("sheet-chromium.log")),
              0);

    Screenshot pixels;
    ASSERT_TRUE(ReadScreenshot(shot, pixels));
    for (size_t i = 0; i < drawn.size(); ++i) {
        const uint64_t seen = PixelsOf(pixels, kPictures[i].colour);
        std::printf("%s: %llu pixels drawn on the tile, %llu seen\n", kPictures[i].name,
                    static_cast<unsigned long long>(drawn[i]),
                    static_cast<unsigned long long>(seen));
        EXPECT_GE(seen, drawn[i] * 95 / 100) << kPictures[i].name;
        EXPECT_LE(seen, drawn[i] * 105 / 100) << kPictures[i].name;
    }
}

// The page's own script sorts; a test script after it clicks the headers
// and leaves the names' order on the body for the dumped DOM to show.
TEST(ReportsInChromium, TableHeaderClicksSortTheRows)
{
    if (!HasChromium())
        GTEST_SKIP() << "no chromium on this machine";
    const std::string page = Temp("sorted-table.html");
    {
        FileOutput output(page);
        std::unique_ptr<ReportWriter> writer =
            MakeReportWriter(ReportFormat::Html, ReportKind::Files, output);
        ASSERT_TRUE(writer->Begin("Files"));
        const struct {
            const char* name;
            uint64_t size;
        } kRows[] = { { "b", 5 }, { "C", 100 }, { "a", 20 }, { "d", 20 } };
        for (const auto& made : kRows) {
            ReportRow row;
            row.name = made.name;
            row.storedSize = made.size;
            ASSERT_TRUE(writer->Row(row));
        }
        ASSERT_TRUE(writer->End());
    }
    {
        std::ofstream file(page, std::ios::binary | std::ios::app);
        file << "<script>\n"
                "var heads = document.querySelectorAll('th'), orders = [];\n"
                "function names() {\n"
                "  return Array.prototype.map.call(document.querySelectorAll('tbody tr'),\n"
                "    function (row) { return row.cells[0].textContent; }).join(' ');\n"
                "}\n"
                "heads[0].click(); orders.push(names());\n"
                "heads[0].click(); orders.push(names());\n"
                "heads[6].click(); orders.push(names());\n"
                "heads[6].click(); orders.push(names());\n"
                "document.body.setAttribute('data-orders', orders.join('|'));\n"
                "</script>\n";
    }
    const std::string dom = Temp("sorted-table.dom");
    ASSERT_EQ(RunChromium(page, "--dump-dom", dom), 0);
    std::ifstream file(dom);
    const std::string text((std::istreambuf_iterator<char>(file)), {});
    // Names without case; sizes by value, the ties (d and a at 20) in the
    // order the name sort left them.
    EXPECT_NE(text.find("data-orders=\"a b C d|d C b a|b d a C|C d a b\""), std::string::npos)
        << text.substr(0, 2000);
}

}  // namespace
