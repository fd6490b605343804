#include "reports/report_columns.h"

#include "reports/report_time.h"

namespace {

void AppendNumber(uint64_t value, std::string& out)
{
    out += std::to_string(value);
}

// A picture's side of 0 is one the decoder never reported: no cell text.
void AppendSide(uint32_t side, std::string& out)
{
    if (side != 0)
        AppendNumber(side, out);
}

const std::vector<ReportColumn> kFileColumns = {
    { "Name", CellKind::Text, [](const ReportRow& r, std::string& out) { out += r.name; } },
    { "URL", CellKind::Link, [](const ReportRow& r, std::string& out) { out += r.url; } },
    { "Visited site", CellKind::Link,
      [](const ReportRow& r, std::string& out) { out += r.visitedSite; } },
    { "Cache", CellKind::Text, [](const ReportRow& r, std::string& out) { out += r.cache; } },
    { "Content type", CellKind::Text,
      [](const ReportRow& r, std::string& out) { out += r.contentType; } },
    { "Encoding", CellKind::Text, [](const ReportRow& r, std::string& out) { out += r.encoding; } },
    { "Stored size", CellKind::Number,
      [](const ReportRow& r, std::string& out) { AppendNumber(r.storedSize, out); } },
    { "Decoded size", CellKind::Number,
      [](const ReportRow& r, std::string& out) { AppendNumber(r.decodedSize, out); } },
    { "Cached (UTC)", CellKind::Text,
      [](const ReportRow& r, std::string& out) { out += IsoUtcTime(r.cachedTime); } },
    { "Cached (local)", CellKind::Text,
      [](const ReportRow& r, std::string& out) {
          out += IsoLocalTime(r.cachedTime, r.localOffsetMinutes);
      } },
};

std::vector<ReportColumn> PictureColumns()
{
    std::vector<ReportColumn> columns = kFileColumns;
    columns.push_back({ "Width", CellKind::Number,
                        [](const ReportRow& r, std::string& out) { AppendSide(r.width, out); } });
    columns.push_back({ "Height", CellKind::Number,
                        [](const ReportRow& r, std::string& out) { AppendSide(r.height, out); } });
    return columns;
}

const std::vector<ReportColumn> kPictureColumns = PictureColumns();

}  // namespace

const std::vector<ReportColumn>& ReportColumns(ReportKind kind)
{
    return kind == ReportKind::Pictures ? kPictureColumns : kFileColumns;
}
