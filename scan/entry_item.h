// The row records of browser cache entries: the record's path holds the row's
// name, and the entry they were made from answers for the body.
#pragma once
#include "scan/cache_item.h"
#include "scan/cached_entry.h"

#include <memory>
#include <string>

// Made whole on the worker and handed over with its row, then read only on
// the user-interface thread, like every record. The cache's description is
// shared by the rows of one cache while the worker still makes more: it is
// const from its making, and the shared count is atomic.
struct EntryImageItem : ImageItem {
    bool WriteCopy(const char* target) const override;
    std::string Label() const override;
    bool KnownSource(std::string& description, std::string& url) const override;
    // The decoded body at most kPictureBodyBound, by the decoder its content
    // type or signature chose; no pixels when it cannot be read.
    void LoadPicture(CImageObject& image) const override;
    // An entry has no file of its own for the shell until one is written
    // for it; nothing opens.
    void OpenInDefaultProgram() const override {}

    std::shared_ptr<const CachedEntry> entry;
    uint32_t pictureType = 0;
};
