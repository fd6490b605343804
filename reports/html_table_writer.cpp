// The HTML report of the Text, Other-files and Media lists: one table whose
// column headers sort the rows when clicked, by a script inside the page.
#include "reports/html_page.h"
#include "reports/html_text.h"
#include "reports/report_columns.h"
#include "reports/report_stream.h"
#include "reports/report_writers.h"

namespace {

const char kStyle[] =
    "body{font:13px sans-serif;margin:1em}\n"
    "table{border-collapse:collapse}\n"
    "th,td{border:1px solid #ccc;padding:2px 6px;text-align:left;vertical-align:top}\n"
    "td{max-width:40em;overflow-wrap:anywhere}\n"
    "th{background:#eee;cursor:pointer;user-select:none;white-space:nowrap}\n"
    "th[aria-sort=ascending]::after{content:\" \\25B2\"}\n"
    "th[aria-sort=descending]::after{content:\" \\25BC\"}\n"
    ".n{text-align:right}\n";

// Sorts the body's rows by the clicked column, numbers by value (an empty
// cell first), text without case; a second click reverses. Ties keep their
// order, so sorting by one column and then another groups as expected.
const char kSortScript[] =
    "<script>\n"
    "(function () {\n"
    "  var table = document.getElementById(\"rows\");\n"
    "  var body = table.tBodies[0];\n"
    "  var heads = table.tHead.rows[0].cells;\n"
    "  var sorted = -1, ascending = true;\n"
    "  function key(row, column, numeric) {\n"
    "    var text = row.cells[column].textContent;\n"
    "    return numeric ? (text === \"\" ? -1 : Number(text)) : text.toLowerCase();\n"
    "  }\n"
    "  function sortBy(column) {\n"
    "    ascending = sorted === column ? !ascending : true;\n"
    "    sorted = column;\n"
    "    var numeric = heads[column].className === \"n\";\n"
    "    var keyed = Array.prototype.map.call(body.rows, function (row, index) {\n"
    "      return [key(row, column, numeric), index, row];\n"
    "    });\n"
    "    keyed.sort(function (a, b) {\n"
    "      var order = a[0] < b[0] ? -1 : a[0] > b[0] ? 1 : 0;\n"
    "      return (ascending ? order : -order) || a[1] - b[1];\n"
    "    });\n"
    "    var rows = document.createDocumentFragment();\n"
    "    keyed.forEach(function (entry) { rows.appendChild(entry[2]); });\n"
    "    body.appendChild(rows);\n"
    "    for (var i = 0; i < heads.length; ++i)\n"
    "      heads[i].removeAttribute(\"aria-sort\");\n"
    "    heads[column].setAttribute(\"aria-sort\", ascending ? \"ascending\" : \"descending\");\n"
    "  }\n"
    "  Array.prototype.forEach.call(heads, function (head, column) {\n"
    "    head.addEventListener(\"click\", function () { sortBy(column); });\n"
    "  });\n"
    "})();\n"
    "</script>\n";

class HtmlTableWriter : public ReportWriter {
public:
    HtmlTableWriter(ReportKind kind, ReportOutput& output)
        : m_columns(ReportColumns(kind)), m_stream(output)
    {}

    bool Begin(const std::string& title) override
    {
        std::string& text = m_stream.Text();
        AppendPageStart(title, kStyle, "'unsafe-inline'", text);
        text += "<table id=\"rows\"><thead><tr>";
        for (const ReportColumn& column : m_columns) {
            text += column.kind == CellKind::Number ? "<th class=\"n\">" : "<th>";
            AppendHtmlText(column.title, text);
            text += "</th>";
        }
        text += "</tr></thead>\n<tbody>\n";
        return m_stream.Flush();
    }

    bool Row(const ReportRow& row) override
    {
        std::string& text = m_stream.Text();
        text += "<tr>";
        for (const ReportColumn& column : m_columns) {
            m_cell.clear();
            column.cell(row, m_cell);
            text += column.kind == CellKind::Number ? "<td class=\"n\">" : "<td>";
            if (column.kind == CellKind::Link)
                AppendUrl(m_cell, text);
            else
                AppendHtmlText(m_cell, text);
            text += "</td>";
        }
        text += "</tr>\n";
        ++m_rows;
        return m_stream.Flush();
    }

    bool End() override
    {
        std::string& text = m_stream.Text();
        text += "</tbody></table>\n<p>";
        text += std::to_string(m_rows);
        text += m_rows == 1 ? " row" : " rows";
        text += "</p>\n";
        text += kSortScript;
        text += "</body></html>\n";
        return m_stream.Flush();
    }

private:
    const std::vector<ReportColumn>& m_columns;
    ReportStream m_stream;
    std::string m_cell;
    uint64_t m_rows = 0;
};

}  // namespace

std::unique_ptr<ReportWriter> MakeHtmlTableWriter(ReportKind kind, ReportOutput& output)
{
    return std::make_unique<HtmlTableWriter>(kind, output);
}
