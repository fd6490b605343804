// The HTTP cache's entry keys, shared by the three Chromium backends:
// "<credentials>/<upload id>/_dk_[s_][cn_]<top-frame site> <frame site> <url>",
// "1/0/<url>" and, in old caches, the plain URL.
#pragma once
#include <string>

struct ChromiumKey {
    std::string url;           // "" when no URL could be found
    std::string topFrameSite;  // "" for keys without a double key
    std::string frameSite;
};

ChromiumKey ParseChromiumKey(const std::string& key);

// Sparse children of the blockfile backend are keyed "Range_<parent key>:<signature>:<n>";
// true when `key` is one, with its parts.
bool ParseSparseChildKey(const std::string& key, std::string& parentKey, uint64_t& signature,
                         uint64_t& childIndex);
