// Firefox's cache2 keys: comma-terminated tags in ASCII order (a value's own
// commas doubled), then ':' and the URL, e.g.
// "O^partitionKey=%28https%2Cnews.example%29,a,:https://cdn.example/a.jpg".
#pragma once
#include <string>

struct FirefoxKey {
    bool valid = false;  // tags parsed and a ':' found
    std::string url;
    std::string topLevelSite;      // from the partition key: "https://news.example[:port]", or ""
    std::string originSuffix;      // the 'O' tag's value as stored ("^partitionKey=...&...")
    std::string idEnhance;         // the '~' tag (a POST's unique id), or ""
    bool anonymous = false;        // 'a'
    bool privateBrowsing = false;  // 'p'
};

FirefoxKey ParseFirefoxKey(const std::string& key);
// "(https,news.example)" / "(http,127.0.0.1,8080)" (already percent-decoded) -> site, or "".
std::string SiteFromPartitionKey(const std::string& partitionKey);
