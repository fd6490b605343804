// The record chain of a Windows metafile, checked before GDI plays it. The
// platform's player trusts every count, offset and size it reads, so one bad
// field makes it spin, read past its buffer or leak objects for the whole
// session. These checks are portable: the host tree and its fuzz target run
// them on the same bytes the Windows decoder hands to GDI.
//
// Bounds a file must keep (beyond every field lying inside its record):
// - at most 2,048 GDI objects alive at once, counting EMF objects overwritten
//   in their slot (the player leaks those) and WMF objects that find the
//   file's own table full (leaked too); Windows gives a process 10,000;
// - at most 500,000 records and 2,000,000 points, characters and region
//   rectangles in the whole file;
// - at most 8,192 points in one filled polygon call and 200,000 in all
//   filled calls: filling costs far more than its size (measured under Wine
//   on 2000 by 2000 pixels: 131 ms for 8,192 random points, 2.1 s for 32,767).
#pragma once

#include <cstddef>
#include <cstdint>

// An enhanced metafile, from its header record to EMR_EOF.
bool EnhancedRecordsPlayable(const uint8_t* data, size_t size);

// A Windows metafile from its METAHEADER on (after any placeable header).
bool WindowsRecordsPlayable(const uint8_t* data, size_t size);
