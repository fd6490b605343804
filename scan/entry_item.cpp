#include "scan/entry_item.h"

#include "images/codec/image_object.h"
#include "images/codec/image_stream.h"

#include <vector>

bool EntryImageItem::WriteCopy(const char* target) const
{
    return entry && entry->WriteBody(target);
}

std::string EntryImageItem::Label() const
{
    return entry ? entry->Entry().url : std::string(path);
}

bool EntryImageItem::KnownSource(std::string& description, std::string& url) const
{
    if (!entry)
        return false;
    description = entry->Description();
    url = entry->Entry().url;
    return true;
}

void EntryImageItem::LoadPicture(CImageObject& image) const
{
    std::vector<uint8_t> body;
    if (!entry || ReadBodyInMemory(
                      [&](const DecodedBodySink& sink) {
                          return entry->ReadBody(kPictureBodyBound, {}, sink);
                      },
                      body) != BodyDecodeStatus::Ok)
        return;
    CMemoryStream stream(body.data(), body.size());
    image.Decode(stream, pictureType);
}
