// The code-stream library behind the J2K decoder and the JP2/JPC types.
#pragma once

#include <cstddef>
#include <cstdint>

#include "images/codec/decode_result.h"

struct opj_image;

// Decodes a JP2 file (by its signature box) or a bare code stream held in
// memory. Refuses, before decoding, an image whose samples would pass the
// picture bound. On failure answers null, why in status (anything without
// either signature is unsupported), and the library's message (or none) in
// message.
opj_image* DecodeJpeg2000(const uint8_t* data, size_t size, DecodeStatus& status, char* message,
                          size_t messageSize);
void FreeJpeg2000(opj_image* image);
bool IsJp2File(const uint8_t* data, size_t size);
bool IsJ2kStream(const uint8_t* data, size_t size);
