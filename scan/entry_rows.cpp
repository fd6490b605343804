#include "scan/entry_rows.h"

#include "scan/filter_rules.h"
#include "scan/name_wildcard.h"
#include "scan/web_types.h"

#include <cstring>

namespace {

// Rows whose bytes are missing are listed only where their kind is known.
bool Listable(const EntryRow& row)
{
    if (row.state == EntryRowState::None)
        return false;
    return row.state == EntryRowState::Whole || row.category.source != CategorySource::None;
}

bool IsFlashName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return extension == ".swf";
}

}  // namespace

EntryRowState RowStateOf(const CacheEntry& entry)
{
    if (entry.status < 200 || entry.status > 299)
        return EntryRowState::None;
    switch (entry.body) {
    case BodyAvailability::Complete:
        return EntryRowState::Whole;
    case BodyAvailability::Partial:
        return EntryRowState::Partial;
    case BodyAvailability::Unreadable:
        return entry.status == 206 ? EntryRowState::None : EntryRowState::Unreadable;
    case BodyAvailability::Absent:
        break;
    }
    return EntryRowState::None;
}

EntryRow MakeEntryRow(const CacheEntry& entry, const AnsiConverter& toAnsi)
{
    EntryRow row;
    row.state = RowStateOf(entry);
    if (row.state == EntryRowState::None)
        return row;
    row.name = EntryRowName(entry.url, entry.contentType, toAnsi);
    row.category = CategorizeEntry(entry.contentType, row.name, nullptr, 0);
    return row;
}

void RefineEntryRow(EntryRow& row, const CacheEntry& entry, const uint8_t* head, size_t headSize,
                    const AnsiConverter& toAnsi)
{
    if (row.state == EntryRowState::None)
        return;
    if (row.state == EntryRowState::Unreadable)
        head = nullptr;
    row.category = CategorizeEntry(entry.contentType, row.name, head, headSize);
    if (row.category.source == CategorySource::Body)
        row.name = EntryRowName(entry.url, row.category.contentType, toAnsi);
}

bool RowAwaitsBody(const EntryRow& row)
{
    const EntryCategory& category = row.category;
    if (category.source == CategorySource::None)
        return true;
    return category.source == CategorySource::ContentType && category.kind == WebKind::Document &&
           !WebTypeOfContentType(category.contentType);
}

bool IsImageRow(const EntryRow& row, const char* lowerTypeList)
{
    if (!Listable(row) || row.category.kind != WebKind::Picture || !row.category.decodable)
        return false;
    if (!lowerTypeList || !*lowerTypeList)
        return true;
    return TypeListContains(lowerTypeList, ExtensionOfName(row.name.c_str()));
}

bool IsMediaRow(const EntryRow& row, int32_t mediaKind)
{
    if (!Listable(row) || row.category.source == CategorySource::None)
        return false;
    switch (mediaKind) {
    case 0:
        return row.category.kind == WebKind::Flash;
    case 1:
        return row.category.kind == WebKind::Movie && !IsFlashName(row.name);
    case 2:
        return row.category.kind == WebKind::Audio;
    default:
        return false;
    }
}

bool IsTextRow(const EntryRow& row, const char* lowerTypeList)
{
    if (!Listable(row))
        return false;
    if (!lowerTypeList || !*lowerTypeList)
        return true;
    return TypeListContains(lowerTypeList, ExtensionOfName(row.name.c_str()));
}

bool IsOtherRow(const EntryRow& row, const char* wildcard)
{
    return Listable(row) && wildcard && MatchesWildcard(row.name.c_str(), wildcard);
}
