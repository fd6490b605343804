// The row records of browser cache entries: the record's path holds the row's
// name, and the entry they were made from answers for the body.
#pragma once
#include "scan/cache_item.h"
#include "scan/cached_entry.h"
#include "scan/entry_temp_files.h"

#include <memory>
#include <string>

// Made whole on the worker and handed over with its row, then read only on
// the user-interface thread, like every record. The cache's description is
// shared by the rows of one cache while the worker still makes more: it is
// const from its making, and the shared count is atomic.
template <class Record> struct EntryRecord : Record {
    bool WriteCopy(const char* target) const override { return entry && entry->WriteBody(target); }
    std::string Label() const override { return entry ? entry->Url() : this->path; }
    std::shared_ptr<const CachedEntry> SourceEntry() const override { return entry; }
    std::string FileForPrograms(CEntryTempFiles& files) const override
    {
        return entry ? files.FileFor(entry, this->path) : std::string();
    }
    ContentReader Content() const override
    {
        return [body = entry](uint64_t bound, const std::function<bool()>& stop) {
            return body ? body->ReadContent(bound, stop) : nullptr;
        };
    }

    std::shared_ptr<const CachedEntry> entry;
};

// A row of the Text, Other-files and Media browsers.
using EntryFileItem = EntryRecord<FileItem>;

struct EntryImageItem : EntryRecord<ImageItem> {
    // The decoded body at most kPictureBodyBound, by the decoder its content
    // type or signature chose; no pixels when it cannot be read.
    void LoadPicture(CImageObject& image) const override;

    uint32_t pictureType = 0;
};
