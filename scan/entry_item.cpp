#include "scan/entry_item.h"

#include "images/codec/image_object.h"
#include "images/codec/image_stream.h"

#include <vector>

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
