// Helpers the codec tests share: file reading, pixel expansion and a small
// GIF writer for the cases ImageMagick will not produce.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/codec/image_object.h"

std::vector<uint8_t> ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::string FixturePath(const std::string& name);
std::string TempPath(const std::string& name);

// The picture as RGB triples, top row first, palette expanded.
std::vector<uint8_t> TopDownRgb(const CImageObject& image);

bool DecodeBytes(CImageObject& image, const std::vector<uint8_t>& bytes, uint32_t type);

class GifWriter {
public:
    GifWriter& Header(uint16_t width, uint16_t height, uint32_t globalColors);
    GifWriter& Control(uint8_t flags, uint16_t delay, uint8_t transparent, uint8_t size = 4);
    GifWriter& Comment(const std::string& text);
    GifWriter& Image(uint16_t left, uint16_t top, uint16_t width, uint16_t height,
                     const std::vector<uint8_t>& indices, bool interlaced = false,
                     int minCodeSize = 8, uint32_t localColors = 0);
    GifWriter& Raw(const std::vector<uint8_t>& bytes);
    GifWriter& Trailer();
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }

private:
    void Word(uint16_t v);
    void Table(uint32_t colors);
    std::vector<uint8_t> m_bytes;
};
