#include "scan/filter_rules.h"

#include <cctype>
#include <cstring>
#include <string>

int32_t DayNumber(int year, int month, int day)
{
    return year * 10000 + month * 100 + day;
}

bool PassesDateTest(int32_t dateMode, int32_t fileDay, int32_t chosenDay)
{
    switch (dateMode) {
    case Before:
        return fileDay < chosenDay;
    case Since:
        return fileDay >= chosenDay;
    case Exactly:
        return fileDay == chosenDay;
    default:
        return true;
    }
}

bool PassesSizeTest(int32_t sizeMode, uint32_t width, uint32_t height, uint32_t boundWidth,
                    uint32_t boundHeight)
{
    switch (sizeMode) {
    case NotSmallerThan:
        return width >= boundWidth && height >= boundHeight;
    case SmallerThan:
        return width < boundWidth && height < boundHeight;
    case ExactSize:
        return width == boundWidth && height == boundHeight;
    default:
        return true;
    }
}

const char* ExtensionOfName(const char* name)
{
    const char* dot = std::strrchr(name, '.');
    return dot ? dot + 1 : name;
}

bool TypeListContains(const char* lowerTypeList, const char* extension)
{
    std::string lower(extension);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return std::strstr(lowerTypeList, lower.c_str()) != nullptr;
}

bool IsImageContentType(const char* contentType)
{
    static const char image[] = "image";
    for (int i = 0; i < 5; ++i) {
        if (std::tolower(static_cast<unsigned char>(contentType[i])) != image[i])
            return false;
    }
    return true;
}

bool IsNamePattern(const char* wildcard)
{
    if (std::strpbrk(wildcard, "\\/:"))
        return false;
    return std::strcmp(wildcard, ".") != 0 && std::strcmp(wildcard, "..") != 0;
}
