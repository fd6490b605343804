// The GIF image-data reader: variable-width LZW over data blocks, read through
// a 16 KiB read-ahead buffer, delivering lines to a picture in plain or
// interlaced order.
#pragma once

#include <cstdint>

#include "image_object.h"

class GifLzwReader {
 public:
  GifLzwReader();
  ~GifLzwReader();
  GifLzwReader(const GifLzwReader&) = delete;
  GifLzwReader& operator=(const GifLzwReader&) = delete;

  // Decodes the image data at the stream's position (minimum code size
  // first) into the rows of target, counted from the top. A null target
  // still consumes the data the same way, so the stream ends up where a real
  // decode would leave it.
  void DecodeFrame(CImageStream& stream, CImageObject* target, uint32_t width, uint32_t height,
                   bool interlaced);
  bool BadCodes() const { return badCodes_ != 0; }
  // Read-ahead bytes fetched from the stream but not used by the decoding.
  int64_t Unused() const { return static_cast<int64_t>(fill_ - used_); }

 private:
  bool Refill();
  int NextByte();  // -1 at the end of the data
  int NextCode();  // -1 at the end of the data
  bool EmitString(int code);
  bool FlushLine();
  void ResetTable();

  enum { kReadAhead = 16384, kMaxCodes = 4096 };
  CImageStream* stream_ = nullptr;
  uint8_t* buffer_;
  uint32_t fill_ = 0, used_ = 0;
  uint32_t blockLeft_ = 0;
  bool dataEnded_ = false;
  uint32_t bits_ = 0;
  int bitCount_ = 0;
  int minSize_ = 0, width_ = 0, clear_ = 0, free_ = 0;
  uint32_t badCodes_ = 0;
  uint16_t* prefix_;
  uint8_t* suffix_;
  uint8_t* first_;
  uint16_t* length_;
  uint8_t* stack_;

  CImageObject* target_ = nullptr;
  uint8_t* line_ = nullptr;
  uint32_t lineWidth_ = 0, linePos_ = 0, height_ = 0;
  bool interlaced_ = false;
  uint32_t row_ = 0, step_ = 8, pass_ = 0, linesDone_ = 0;
};
