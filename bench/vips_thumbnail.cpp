#include "bench/vips_thumbnail.h"

#include <vips/vips.h>

bool StartVips(const char* program)
{
    if (VIPS_INIT(program))
        return false;
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    vips_cache_set_max_mem(0);
    vips_cache_set_max_files(0);
    return true;
}

void StopVips()
{
    vips_shutdown();
}

namespace {

// The thumbnail's rows, top-down with `bands` bytes a pixel (grey, grey and
// alpha, RGB or RGBA), centred on the tile; alpha is dropped as the
// viewer's tile drops it.
void Draw(const uint8_t* pixels, uint32_t width, uint32_t height, int bands, Tile& tile)
{
    const uint32_t left = width < tile.edge ? (tile.edge - width) / 2 : 0;
    const uint32_t top = height < tile.edge ? (tile.edge - height) / 2 : 0;
    for (uint32_t y = 0; y < height && top + y < tile.edge; ++y) {
        const uint8_t* in = pixels + static_cast<size_t>(y) * width * bands;
        uint8_t* out = tile.RowFromTop(top + y) + 3 * left;
        for (uint32_t x = 0; x < width && left + x < tile.edge; ++x, in += bands, out += 3) {
            const bool colour = bands >= 3;
            out[0] = in[colour ? 2 : 0];
            out[1] = in[colour ? 1 : 0];
            out[2] = in[0];
        }
    }
}

}  // namespace

Drawn VipsThumbnail(const char* path, Tile& tile)
{
    VipsImage* thumbnail = nullptr;
    // Shrink only, into an edge by edge box, as the viewer fits its tiles.
    if (vips_thumbnail(path, &thumbnail, static_cast<int>(tile.edge), "height",
                       static_cast<int>(tile.edge), "size", VIPS_SIZE_DOWN, nullptr)) {
        vips_error_clear();
        return {};
    }
    Drawn drawn;
    size_t bytes = 0;
    // Writing to memory is what runs the pipeline: decode and shrink happen here.
    void* pixels = vips_image_write_to_memory(thumbnail, &bytes);
    const int bands = vips_image_get_bands(thumbnail);
    if (pixels && vips_image_get_format(thumbnail) == VIPS_FORMAT_UCHAR) {
        drawn = { static_cast<uint32_t>(vips_image_get_width(thumbnail)),
                  static_cast<uint32_t>(vips_image_get_height(thumbnail)) };
        Draw(static_cast<const uint8_t*>(pixels), drawn.width, drawn.height, bands, tile);
    }
    g_free(pixels);
    g_object_unref(thumbnail);
    return drawn;
}
