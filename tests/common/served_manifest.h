// The manifest tools/browser-caches/make-caches.py writes beside its caches:
// a header row, then one tab-separated row per response its server sent.
#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ManifestRow {
    std::string cache, url, site, status, contentType, contentEncoding, body;
};

// A top-level site without its port: the manifest's form. Chromium keys a
// site without one; some Firefox versions key an IP address's with its port.
inline std::string SiteWithoutPort(const std::string& site)
{
    size_t hostStart = site.find("://");
    size_t colon = site.rfind(':');
    if (hostStart == std::string::npos || colon <= hostStart + 2 || site.back() == ']')
        return site;
    return site.substr(0, colon);
}

// The fields of a tab-separated line; an empty last field counts.
inline std::vector<std::string> SplitTabs(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, '\t'))
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.push_back("");
    return fields;
}

// A served body or a cache file, whole ("" when it cannot be read).
inline std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

constexpr char kManifestHeader[] =
    "cache\turl\ttop_level_site\tstatus\tcontent_type\tcontent_encoding\tbody";

// Every row of seven fields. The header row and the count of rows of another
// width go to the caller that asks for them.
inline std::vector<ManifestRow> ReadManifest(const std::string& path, std::string* header = nullptr,
                                             size_t* malformedRows = nullptr)
{
    std::vector<ManifestRow> rows;
    std::ifstream file(path, std::ios::binary);
    std::string line;
    std::getline(file, line);
    if (header)
        *header = line;
    size_t malformed = 0;
    while (std::getline(file, line)) {
        std::vector<std::string> f = SplitTabs(line);
        if (f.size() != 7) {
            ++malformed;
            continue;
        }
        rows.push_back({ f[0], f[1], f[2], f[3], f[4], f[5], f[6] });
    }
    if (malformedRows)
        *malformedRows = malformed;
    return rows;
}
