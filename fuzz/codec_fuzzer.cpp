// libFuzzer target: every decoder, own code and library wrappers, on the same
// bytes, by type and by detection; the GIF frame count both ways, which must
// agree; a small rescale of whatever decoded; and the metafile record checks,
// which the host tree cannot reach through a decoder (GDI plays metafiles).
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image_decoders.h"
#include "image_gif.h"
#include "metafile_records.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CompareGifReadings(const uint8_t* data, size_t size) {
  CImageObject fast, plain;
  plain.Settings().codecOptions[kImageGIF] = kGifPlainFrameCount;
  CMemoryStream a(data, size), b(data, size);
  Check(fast.Decode(a, kImageGIF) == plain.Decode(b, kImageGIF));
  Check(strcmp(fast.LastError(), plain.LastError()) == 0);
  Check(fast.FrameCount() == plain.FrameCount());
  Check(fast.TransparentIndex() == plain.TransparentIndex());
  Check(fast.HasPixels() == plain.HasPixels());
  if (fast.HasPixels()) {
    Check(fast.BlockSize() == plain.BlockSize());
    Check(memcmp(fast.Block(), plain.Block(), fast.BlockSize()) == 0);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The library wrappers too: their glue (sources, error exits, bounds,
  // sample conversion) is ours even where the libraries are fuzzed upstream.
  static const uint32_t kTypes[] = {kImageBMP,  kImageICO, kImageTGA, kImagePCX, kImageWBMP, kImageJPEG,
                                    kImagePNG,  kImageTIFF, kImageJ2K, kImageJBG, kImageJP2,  kImageJPC,
                                    kImagePGX,  kImagePNM, kImageRAS, kImageUnknown};
  for (uint32_t type : kTypes) {
    CImageObject image;
    if (size > 0) image.SetFrame(data[0] & 1);  // a second page or component now and then
    CMemoryStream stream(data, size);
    image.Decode(stream, type);
    if (image.HasPixels() && static_cast<uint64_t>(image.Width()) * image.Height() <= 1 << 16) {
      image.Rescale(13, 7, 3, nullptr);
      image.Rescale(17, 9, 2, nullptr);
    }
  }
  CompareGifReadings(data, size);
  EnhancedRecordsPlayable(data, size);
  WindowsRecordsPlayable(data, size);
  if (size > 22) WindowsRecordsPlayable(data + 22, size - 22);  // after a placeable header
  if (size > 0) {
    CImageObject later;
    later.SetFrame(data[size - 1] & 3);  // the last byte picks a later frame too
    CMemoryStream stream(data, size);
    later.Decode(stream, kImageGIF);
  }
  return 0;
}
