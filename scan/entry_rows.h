// Which cache entries become rows of which browser window, and under what
// name: the portable rules the walk applies to an entry where it applies a
// file name's tests to a WinINet file.
#pragma once
#include "caches/cache_entry.h"
#include "scan/entry_category.h"
#include "scan/entry_name.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Whole: a successful response with its whole body. Partial (a body stored
// in part: a 200 cut short, or the 206 that range requests for media leave
// in Chromium's and Firefox's caches) and
// Unreadable (encrypted, damaged) are rows only where their kind is known
// without the missing bytes, and Drill marks them.
enum class EntryRowState { None, Whole, Partial, Unreadable };

// Successful responses only: 2xx with a body. A 206 is Whole only when its
// range holds the whole resource, which the reader has judged Complete;
// stored in part it is Partial, and unreadable no row.
EntryRowState RowStateOf(const CacheEntry& entry);

struct EntryRow {
    EntryRowState state = EntryRowState::None;
    std::string name;  // scan/entry_name, with the extension of the kind found
    EntryCategory category;
};

// The row an entry's headers make (state None: no row, nothing else filled),
// before its body is read.
EntryRow MakeEntryRow(const CacheEntry& entry, const AnsiConverter& toAnsi);
// That row told again by the decoded body's first bytes once they are read
// (kSignatureBytes suffice; see CategorizeEntry), once. A body found to be of
// a known type by its bytes gives the name that type's extension.
void RefineEntryRow(EntryRow& row, const CacheEntry& entry, const uint8_t* head, size_t headSize,
                    const AnsiConverter& toAnsi);

// Whether the body's first bytes may still change the row's name and kind:
// when neither its content type nor its name told the kind, or its content
// type is one of its own (application/x-foo), which a signature overrides. A
// window may judge any other row by its name before reading the body.
bool RowAwaitsBody(const EntryRow& row);

// The windows' tests on a row, the answers each gives a WinINet file. The
// type lists are lower case, as the list controls keep them; the Text
// browser's default list is its caller's to fill in.

// A picture of a type the viewer decodes; with a type list, the name's
// extension must occur in it (a substring search, as for files).
bool IsImageRow(const EntryRow& row, const char* lowerTypeList);
// mediaKind 0 Flashes, 1 Movies (never a .swf name), 2 Audios.
bool IsMediaRow(const EntryRow& row, int32_t mediaKind);
// The type list on the name, as on a file name (an empty list takes all).
bool IsTextRow(const EntryRow& row, const char* lowerTypeList);
// The wildcard on the name, as the folder search applies it to a file name.
bool IsOtherRow(const EntryRow& row, const char* wildcard);
