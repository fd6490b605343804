// What Drill shows of a browser cache's entry: one field of its template per
// fact the cache keeps about the response, each in the words the user reads.
#pragma once
#include "browser/detail_field.h"

class CachedEntry;

// What a field shows when the cache recorded nothing for it.
extern const char kNotRecordedText[];
// The Body field: the whole body is stored; only a part of it (range
// requests, as players make for media); none can be read (encrypted,
// damaged; the reader's reason follows).
extern const char kWholeBodyText[];
extern const char kPartialBodyText[];
extern const char kUnreadableBodyText[];

// The fields of IDD_ENTRY_DETAILS but the URL's and the browser's, which the
// dialog shows in the places a file's Drill has them.
DetailFields EntryDetailFields(const CachedEntry& entry);
