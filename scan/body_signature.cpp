#include "scan/body_signature.h"

#include <cctype>
#include <cstring>
#include <initializer_list>

namespace {

class Head {
public:
    Head(const uint8_t* data, size_t size) : m_data(data), m_size(data ? size : 0) {}

    bool Has(size_t offset, const char* bytes, size_t length) const
    {
        return offset <= m_size && length <= m_size - offset &&
               std::memcmp(m_data + offset, bytes, length) == 0;
    }
    template <size_t N> bool At(size_t offset, const char (&bytes)[N]) const
    {
        return Has(offset, bytes, N - 1);
    }
    uint8_t Byte(size_t offset) const { return offset < m_size ? m_data[offset] : 0; }
    size_t Size() const { return m_size; }
    // Whether text occurs anywhere in the head, ignoring case.
    bool Contains(const char* text) const
    {
        const size_t length = std::strlen(text);
        for (size_t start = 0; length <= m_size && start <= m_size - length; ++start) {
            size_t i = 0;
            while (i < length &&
                   std::tolower(m_data[start + i]) == static_cast<unsigned char>(text[i]))
                ++i;
            if (i == length)
                return true;
        }
        return false;
    }
    // The offset of the first byte that is no white space or byte-order mark.
    size_t MarkupStart() const
    {
        size_t at = At(0, "\xEF\xBB\xBF") ? 3 : 0;
        while (at < m_size && std::isspace(m_data[at]))
            ++at;
        return at;
    }
    bool StartsWithNoCase(size_t offset, const char* text) const
    {
        const size_t length = std::strlen(text);
        if (offset > m_size || length > m_size - offset)
            return false;
        for (size_t i = 0; i < length; ++i) {
            if (std::tolower(m_data[offset + i]) != static_cast<unsigned char>(text[i]))
                return false;
        }
        return true;
    }

private:
    const uint8_t* m_data;
    size_t m_size;
};

uint32_t Little32(const Head& head, size_t offset)
{
    return head.Byte(offset) | head.Byte(offset + 1) << 8 | head.Byte(offset + 2) << 16 |
           static_cast<uint32_t>(head.Byte(offset + 3)) << 24;
}

// BMP's two letters are common text; the info header's size after them is
// one of the few Windows defined.
bool IsBmp(const Head& head)
{
    if (!head.At(0, "BM"))
        return false;
    const uint32_t infoSize = Little32(head, 14);
    for (uint32_t known : { 12u, 40u, 52u, 56u, 64u, 108u, 124u }) {
        if (infoSize == known)
            return true;
    }
    return false;
}

bool IsIcon(const Head& head)
{
    return head.Has(0, "\0\0\1\0", 4) && (head.Byte(4) | head.Byte(5)) != 0 && head.Size() >= 22;
}

bool IsMpegAudioFrame(const Head& head)
{
    // Eleven sync bits, a version other than the reserved one and a layer
    // (ADTS, layer bits 0, is AAC).
    return head.Byte(0) == 0xFF && (head.Byte(1) & 0xE0) == 0xE0 && (head.Byte(1) & 0x18) != 0x08;
}

const char* IsoMediaType(const Head& head)
{
    if (!head.At(4, "ftyp"))
        return nullptr;
    if (head.At(8, "avif") || head.At(8, "avis"))
        return "image/avif";
    if (head.At(8, "heic") || head.At(8, "heix") || head.At(8, "mif1"))
        return "image/heic";
    if (head.At(8, "M4A ") || head.At(8, "M4B "))
        return "audio/mp4";
    if (head.At(8, "qt  "))
        return "video/quicktime";
    if (head.At(8, "3gp"))
        return "video/3gpp";
    return "video/mp4";
}

const char* RiffType(const Head& head)
{
    if (!head.At(0, "RIFF"))
        return nullptr;
    if (head.At(8, "WEBP"))
        return "image/webp";
    if (head.At(8, "WAVE"))
        return "audio/wav";
    if (head.At(8, "AVI "))
        return "video/x-msvideo";
    return nullptr;
}

const char* OggType(const Head& head)
{
    if (!head.At(0, "OggS"))
        return nullptr;
    return head.Contains("\x80theora") ? "video/ogg" : "audio/ogg";
}

const char* PictureType(const Head& head)
{
    if (head.At(0, "\xFF\xD8\xFF"))
        return "image/jpeg";
    if (head.At(0, "\x89PNG\r\n\x1A\n"))
        return "image/png";
    if (head.At(0, "GIF87a") || head.At(0, "GIF89a"))
        return "image/gif";
    if (head.At(0, "II*\0") || head.At(0, "MM\0*"))
        return "image/tiff";
    if (head.At(0, "\0\0\0\x0CjP  \r\n\x87\n") || head.At(0, "\xFF\x4F\xFF\x51"))
        return "image/jp2";
    if (head.At(0, "\xD7\xCD\xC6\x9A"))
        return "image/wmf";
    if (head.At(0, "\1\0\0\0") && head.At(40, " EMF"))
        return "image/emf";
    if (IsBmp(head))
        return "image/bmp";
    if (IsIcon(head))
        return "image/x-icon";
    if (head.Byte(0) == 'P' && head.Byte(1) >= '1' && head.Byte(1) <= '6' &&
        std::isspace(head.Byte(2)))
        return "image/x-portable-anymap";
    return nullptr;
}

const char* MediaType(const Head& head)
{
    if (const char* type = IsoMediaType(head))
        return type;
    if (const char* type = RiffType(head))
        return type;
    if (const char* type = OggType(head))
        return type;
    if (head.At(0, "\x1A\x45\xDF\xA3"))
        return head.Contains("webm") ? "video/webm" : "video/x-matroska";
    if (head.At(0, "FWS") || head.At(0, "CWS") || head.At(0, "ZWS"))
        return "application/x-shockwave-flash";
    if (head.At(0, "FLV\x01"))
        return "video/x-flv";
    if (head.At(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11"))
        return "video/x-ms-asf";
    if (head.At(0, "\0\0\1\xBA") || head.At(0, "\0\0\1\xB3"))
        return "video/mpeg";
    if (head.At(0, "ID3") || IsMpegAudioFrame(head))
        return (head.Byte(1) & 0x06) == 0 && head.Byte(0) == 0xFF ? "audio/aac" : "audio/mpeg";
    if (head.At(0, "fLaC"))
        return "audio/flac";
    if (head.At(0, "MThd"))
        return "audio/midi";
    if (head.At(0, "FORM") && head.At(8, "AIFF"))
        return "audio/x-aiff";
    if (head.At(0, ".snd"))
        return "audio/basic";
    return nullptr;
}

const char* DocumentType(const Head& head)
{
    if (head.At(0, "%PDF-"))
        return "application/pdf";
    if (head.At(0, "PK\x03\x04"))
        return "application/zip";
    if (head.At(0, "\x1F\x8B"))
        return "application/gzip";
    if (head.At(0, "\0asm"))
        return "application/wasm";
    if (head.At(0, "wOFF"))
        return "font/woff";
    if (head.At(0, "wOF2"))
        return "font/woff2";
    return nullptr;
}

// Markup after white space: SVG (also behind an XML declaration), HTML, XML.
const char* MarkupType(const Head& head)
{
    const size_t start = head.MarkupStart();
    if (head.Byte(start) != '<')
        return nullptr;
    if (head.StartsWithNoCase(start, "<svg") ||
        (head.StartsWithNoCase(start, "<?xml") && head.Contains("<svg")))
        return "image/svg+xml";
    for (const char* tag : { "<!doctype html", "<html", "<head", "<body", "<script" }) {
        if (head.StartsWithNoCase(start, tag))
            return "text/html";
    }
    if (head.StartsWithNoCase(start, "<?xml"))
        return "text/xml";
    return nullptr;
}

}  // namespace

const char* ContentTypeOfSignature(const uint8_t* data, size_t size)
{
    const Head head(data, size < kSignatureBytes ? size : kSignatureBytes);
    for (auto test : { PictureType, MediaType, DocumentType, MarkupType }) {
        if (const char* type = test(head))
            return type;
    }
    return nullptr;
}
