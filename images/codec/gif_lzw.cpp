#include "gif_lzw.h"

#include <cstdlib>
#include <cstring>
#include <vector>

GifLzwReader::GifLzwReader() {
  buffer_ = new uint8_t[kReadAhead];
  prefix_ = new uint16_t[kMaxCodes];
  suffix_ = new uint8_t[kMaxCodes];
  first_ = new uint8_t[kMaxCodes];
  length_ = new uint16_t[kMaxCodes];
  stack_ = new uint8_t[kMaxCodes];
}

GifLzwReader::~GifLzwReader() {
  delete[] buffer_;
  delete[] prefix_;
  delete[] suffix_;
  delete[] first_;
  delete[] length_;
  delete[] stack_;
  free(line_);
}

bool GifLzwReader::Refill() {
  fill_ = static_cast<uint32_t>(stream_->Read(buffer_, 1, kReadAhead - 1));
  used_ = 0;
  return fill_ != 0;
}

int GifLzwReader::NextByte() {
  if (dataEnded_) return -1;
  if (blockLeft_ == 0) {
    if (used_ == fill_ && !Refill()) return dataEnded_ = true, -1;
    blockLeft_ = buffer_[used_++];
    if (blockLeft_ == 0) return dataEnded_ = true, -1;
  }
  if (used_ == fill_ && !Refill()) return dataEnded_ = true, -1;
  --blockLeft_;
  return buffer_[used_++];
}

int GifLzwReader::NextCode() {
  while (bitCount_ < width_) {
    int b = NextByte();
    if (b < 0) return -1;
    bits_ |= static_cast<uint32_t>(b) << bitCount_;
    bitCount_ += 8;
  }
  int code = static_cast<int>(bits_ & ((1u << width_) - 1));
  bits_ >>= width_;
  bitCount_ -= width_;
  return code;
}

void GifLzwReader::ResetTable() {
  width_ = minSize_ + 1;
  free_ = clear_ + 2;
}

// Lines go down the picture, or through the four interlace passes (rows
// 0, 8, 16...; 4, 12...; 2, 6...; 1, 3...). False once a line has no place.
bool GifLzwReader::FlushLine() {
  if (linesDone_ >= height_ && !interlaced_) return false;
  if (interlaced_ && pass_ > 3) return false;
  uint32_t top = interlaced_ ? row_ : linesDone_;
  if (target_) {
    uint8_t* dst = target_->Row(static_cast<int32_t>(height_ - 1 - top));
    switch (target_->Bpp()) {
      case 8: memcpy(dst, line_, lineWidth_); break;
      case 4:
        for (uint32_t x = 0; x < lineWidth_; x += 2) {
          uint8_t hi = line_[x] & 15, lo = x + 1 < lineWidth_ ? line_[x + 1] & 15 : 0;
          dst[x >> 1] = static_cast<uint8_t>(hi << 4 | lo);
        }
        break;
      default:
        for (uint32_t x = 0; x < lineWidth_; x += 8) {
          uint8_t b = 0;
          for (uint32_t k = 0; k < 8 && x + k < lineWidth_; ++k) b |= (line_[x + k] & 1) << (7 - k);
          dst[x >> 3] = b;
        }
    }
  }
  ++linesDone_;
  linePos_ = 0;
  if (interlaced_) {
    row_ += step_;
    while (row_ >= height_ && pass_ <= 3) {
      ++pass_;
      if (pass_ >= 2) step_ /= 2;
      row_ = step_ / 2;
    }
  }
  return true;
}

// Writes a code's string to the line; false when the picture is complete.
bool GifLzwReader::EmitString(int code) {
  uint32_t len = length_[code];
  if (len <= lineWidth_ - linePos_) {
    uint8_t* out = line_ + linePos_ + len;
    for (int c = code; len--; c = prefix_[c]) *--out = suffix_[c];
    linePos_ += length_[code];
    return linePos_ < lineWidth_ || FlushLine();
  }
  uint8_t* top = stack_ + len;
  for (int c = code; top > stack_; c = prefix_[c]) *--top = suffix_[c];
  for (uint32_t done = 0, n = length_[code]; done < n;) {
    uint32_t room = lineWidth_ - linePos_;
    uint32_t take = n - done < room ? n - done : room;
    memcpy(line_ + linePos_, stack_ + done, take);
    linePos_ += take;
    done += take;
    if (linePos_ == lineWidth_ && !FlushLine()) return false;
  }
  return true;
}

void GifLzwReader::DecodeFrame(CImageStream& stream, CImageObject* target, uint32_t width,
                               uint32_t height, bool interlaced) {
  stream_ = &stream;
  fill_ = used_ = 0;
  blockLeft_ = 0;
  dataEnded_ = false;
  bits_ = 0;
  bitCount_ = 0;
  badCodes_ = 0;
  if (target && (!target->HasPixels() || static_cast<uint32_t>(target->Width()) != width ||
                 static_cast<uint32_t>(target->Height()) != height))
    target = nullptr;
  target_ = target;
  height_ = height;
  interlaced_ = interlaced;
  row_ = 0;
  step_ = 8;
  pass_ = 0;
  linesDone_ = 0;
  linePos_ = 0;

  int s = -1;
  if (used_ < fill_ || Refill()) s = buffer_[used_++];
  if (s < 2 || s > 9 || width == 0 || height == 0) return;
  if (width > lineWidth_ || !line_) {
    free(line_);
    line_ = static_cast<uint8_t*>(calloc(width, 1));
    if (!line_) return;
  } else {
    memset(line_, 0, width);
  }
  lineWidth_ = width;

  minSize_ = s;
  clear_ = 1 << s;
  const int end = clear_ + 1;
  for (int i = 0; i < clear_; ++i) {
    prefix_[i] = 0;
    suffix_[i] = first_[i] = static_cast<uint8_t>(i);
    length_[i] = 1;
  }
  ResetTable();
  bool fresh = true;  // the next code follows a clear (or starts the data)
  int prev = 0;
  for (;;) {
    int code = NextCode();
    if (code < 0 || code == end) break;
    if (code == clear_) {
      ResetTable();
      fresh = true;
      continue;
    }
    if (fresh) {
      if (code >= free_) code = 0;
      fresh = false;
      prev = code;
      if (!EmitString(code)) return;
      continue;
    }
    int grown;
    uint8_t firstChar;
    if (code < free_) {
      grown = code;
      firstChar = first_[code];
    } else {
      if (code > free_) ++badCodes_;
      grown = -1;
      firstChar = first_[prev];
    }
    if (free_ < kMaxCodes) {
      prefix_[free_] = static_cast<uint16_t>(prev);
      suffix_[free_] = firstChar;
      first_[free_] = first_[prev];
      length_[free_] = static_cast<uint16_t>(length_[prev] + 1);
      if (grown < 0) grown = free_;
      ++free_;
      if (free_ == (1 << width_) && width_ < 12) ++width_;
    } else if (grown < 0) {
      grown = prev;
    }
    prev = grown;
    if (!EmitString(grown)) return;
  }
  if (linePos_ > 0) FlushLine();
}
