#include "scan/name_wildcard.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

bool SameLetter(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
}

// Greedy with one step back to the last star: each star is tried at every
// later start once, so no input makes the match exponential.
bool Matches(const char* name, const char* pattern)
{
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = pattern++;
            resume = name;
        } else if (*pattern == '?' || (*pattern && SameLetter(*pattern, *name))) {
            ++pattern;
            ++name;
        } else if (star) {
            pattern = star + 1;
            name = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

}  // namespace

bool MatchesWildcard(const char* name, const char* pattern)
{
    if (Matches(name, pattern))
        return true;
    // "report.*" takes "report": the search reads a missing extension as an
    // empty one.
    const size_t length = std::strlen(pattern);
    if (length >= 2 && std::strcmp(pattern + length - 2, ".*") == 0 && !std::strchr(name, '.'))
        return Matches(name, std::string(pattern, length - 2).c_str());
    return false;
}
