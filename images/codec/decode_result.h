// What became of a decode: the status the program acts on, beside the text
// the user is shown (the object keeps both, see CImageObject::Status).
#pragma once

#include <cstdint>

enum class DecodeStatus : uint8_t {
    // The decoder read the file through. A GIF whose frames all lie outside
    // its screen is read through too, and gives no picture.
    kOk = 0,
    // The escape callback asked before the pixels: width and height only.
    kSizeOnly,
    // The escape callback stopped the decoder among the pixels.
    kCancelled,
    // The picture, or what the decoder needs for it, exceeds the memory
    // bound or the caller's budget, or the allocation failed.
    kTooLarge,
    // Damaged, inconsistent or cut short.
    kCorrupt,
    // Not in the decoder's format, or in a variant of it that it cannot read.
    kUnsupported,
    // The frame or page asked for is not in the file.
    kNoFrame,
    // The file could not be opened or read.
    kUnreadable,
};

// A decoder's reason for giving up: thrown by those that unwind to one
// handler, handed to CImageObject::Fail by the others. The text is the
// message the user sees; null keeps the one already there.
struct DecodeFailure {
    DecodeStatus status;
    const char* text;
};

// The status's name, for logs and test output.
const char* DecodeStatusName(DecodeStatus status);
