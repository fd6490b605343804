// imgdump: decodes one file as the viewer does and tells what came out.
//   imgdump [--type N] [--frame N] FILE [OUT.bmp]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "images/codec/image_object.h"

namespace {

int Usage()
{
    fprintf(stderr, "usage: imgdump [--type N] [--frame N] FILE [OUT.bmp]\n");
    return 2;
}

bool WriteBmp(const CImageObject& image, const char* path)
{
    FILE* out = fopen(path, "wb");
    if (!out)
        return false;
    const uint32_t offset = 14 + 40 + image.PaletteSize();
    const uint64_t size = 14 + static_cast<uint64_t>(image.BlockSize());
    uint8_t head[14] = { 'B', 'M' };
    for (int i = 0; i < 4; ++i) {
        head[2 + i] = static_cast<uint8_t>(size >> (8 * i));
        head[10 + i] = static_cast<uint8_t>(offset >> (8 * i));
    }
    bool ok = fwrite(head, 1, sizeof head, out) == sizeof head &&
              fwrite(image.Block(), 1, image.BlockSize(), out) == image.BlockSize();
    return fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv)
{
    uint32_t type = 0;
    int32_t frame = 0;
    const char* files[2] = { nullptr, nullptr };
    int nfiles = 0;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--type") && i + 1 < argc)
            type = static_cast<uint32_t>(strtoul(argv[++i], nullptr, 10));
        else if (!strcmp(argv[i], "--frame") && i + 1 < argc)
            frame = static_cast<int32_t>(strtol(argv[++i], nullptr, 10));
        else if (nfiles < 2 && argv[i][0] != '-')
            files[nfiles++] = argv[i];
        else
            return Usage();
    }
    if (!files[0])
        return Usage();
    CImageObject image;
    image.SetFrame(frame);
    image.Load(files[0], type);
    if (!image.HasPixels()) {
        printf("error: %s\n", image.LastError());
        return 1;
    }
    printf("type=%u width=%d height=%d bpp=%u colors=%u transparent=%d frames=%d\n", image.Type(),
           image.Width(), image.Height(), image.Bpp(), image.ColorsUsed(), image.TransparentIndex(),
           image.FrameCount());
    if (files[1] && !WriteBmp(image, files[1])) {
        fprintf(stderr, "imgdump: cannot write %s\n", files[1]);
        return 1;
    }
    return 0;
}
