#include "scan/entry_category.h"

#include "scan/body_signature.h"

namespace {

EntryCategory FromRow(const WebType& row, CategorySource source, uint32_t signaturePicture)
{
    EntryCategory category;
    category.source = source;
    category.kind = row.kind;
    category.contentType = row.contentType;
    if (row.kind == WebKind::Picture && row.imageType != 0) {
        category.decodable = true;
        // The bytes are what the decoder reads: their signature wins over
        // the label. A row found by the name's extension never names the
        // decoder itself.
        category.imageType = signaturePicture                      ? signaturePicture
                             : source == CategorySource::Extension ? 0
                                                                   : row.imageType;
    }
    return category;
}

// A type the table does not hold still tells its kind by its first five
// characters, as a WinINet file's registry type does in the Image and Media
// windows ("videox" is a movie there too).
bool FromMajorType(const std::string& bareType, uint32_t signaturePicture, EntryCategory& category)
{
    const std::string major = bareType.substr(0, 5);
    if (major == "image") {
        category.kind = WebKind::Picture;
        category.decodable = signaturePicture != 0;
        category.imageType = signaturePicture;
    } else if (major == "video") {
        category.kind = WebKind::Movie;
    } else if (major == "audio") {
        category.kind = WebKind::Audio;
    } else if (bareType.compare(0, 5, "text/") == 0) {
        category.kind = WebKind::Text;
    } else {
        return false;
    }
    category.source = CategorySource::ContentType;
    category.contentType = bareType;
    return true;
}

const WebType* RowOfNameExtension(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return nullptr;
    return WebTypeOfExtension(name.substr(dot + 1));
}

}  // namespace

EntryCategory CategorizeEntry(const std::string& contentType, const std::string& name,
                              const uint8_t* head, size_t headSize)
{
    const std::string bare = BareContentType(contentType);
    const char* signatureType = head ? ContentTypeOfSignature(head, headSize) : nullptr;
    const WebType* signatureRow = signatureType ? WebTypeOfContentType(signatureType) : nullptr;
    const uint32_t signaturePicture =
        signatureRow && signatureRow->kind == WebKind::Picture ? signatureRow->imageType : 0;

    const bool generic = IsGenericContentType(bare);
    if (!generic) {
        if (const WebType* row = WebTypeOfContentType(bare))
            return FromRow(*row, CategorySource::ContentType, signaturePicture);
        EntryCategory category;
        if (FromMajorType(bare, signaturePicture, category))
            return category;
    }
    if (const WebType* row = RowOfNameExtension(name))
        return FromRow(*row, CategorySource::Extension, signaturePicture);
    if (signatureRow)
        return FromRow(*signatureRow, CategorySource::Body, signaturePicture);
    EntryCategory category;
    if (!generic) {
        // A type of its own (application/x-foo): a document of that type.
        category.source = CategorySource::ContentType;
        category.contentType = bare;
    }
    return category;
}
