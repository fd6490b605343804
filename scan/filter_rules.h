// The rules by which a scan accepts a cache file: portable, so the host tree
// tests them directly.
#pragma once
#include <cstdint>

enum DateMode : int32_t { AnyDate = 0, Before = 1, Since = 2, Exactly = 3 };
enum SizeMode : int32_t { AnySize = 0, NotSmallerThan = 1, SmallerThan = 2, ExactSize = 3 };

// A local calendar date as year*10000 + month*100 + day.
int32_t DayNumber(int year, int month, int day);

// Unknown modes accept everything.
bool PassesDateTest(int32_t dateMode, int32_t fileDay, int32_t chosenDay);
bool PassesSizeTest(int32_t sizeMode, uint32_t width, uint32_t height, uint32_t boundWidth,
                    uint32_t boundHeight);

// The text after the last "." of a file name, or the whole name when it has
// none.
const char* ExtensionOfName(const char* name);

// Whether the extension, lower-cased, occurs anywhere in the lower-case type
// list. The search is a plain substring search, so "if" matches "gif;jpg".
bool TypeListContains(const char* lowerTypeList, const char* extension);

// Whether a "Content Type" value names an image: its first five characters
// are "image" in any case.
bool IsImageContentType(const char* contentType);

// Whether a wildcard names files of one folder only: no folder separator,
// no drive or stream colon, and not "." or "..". A pattern with a path part
// would have the folder search list files of another folder under this one's
// name.
bool IsNamePattern(const char* wildcard);
