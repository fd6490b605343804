// CSV and tab-separated text: the same header and rows, differing in the
// separator and in how a field keeps its separators and line ends.
#include "reports/report_columns.h"
#include "reports/report_stream.h"
#include "reports/report_writers.h"

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// One pass over the field, as find_first_of tests every byte against the set
// one call at a time.
bool HoldsAny(const std::string& field, char a, char b, char c, char d)
{
    for (char x : field) {
        if (x == a || x == b || x == c || x == d)
            return true;
    }
    return false;
}

// RFC 4180: quoted when it holds a comma, quote, CR or LF, quotes doubled.
void AppendCsvField(const std::string& field, std::string& out)
{
    if (!HoldsAny(field, ',', '"', '\r', '\n')) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// Backslash escapes, so a field never ends its line or its column.
void AppendTextField(const std::string& field, std::string& out)
{
    if (!HoldsAny(field, '\\', '\t', '\r', '\n')) {
        out += field;
        return;
    }
    for (char c : field) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
}

using FieldWriter = void (*)(const std::string& field, std::string& out);

class DelimitedWriter : public ReportWriter {
public:
    DelimitedWriter(ReportKind kind, ReportOutput& output, char separator, FieldWriter field)
        : m_columns(ReportColumns(kind)), m_stream(output), m_separator(separator), m_field(field)
    {}

    bool Begin(const std::string&) override
    {
        std::string& text = m_stream.Text();
        text += kByteOrderMark;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (i)
                text += m_separator;
            m_field(m_columns[i].title, text);
        }
        text += "\r\n";
        return m_stream.Flush();
    }

    bool Row(const ReportRow& row) override
    {
        std::string& text = m_stream.Text();
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (i)
                text += m_separator;
            m_cell.clear();
            m_columns[i].cell(row, m_cell);
            m_field(m_cell, text);
        }
        text += "\r\n";
        return m_stream.Flush();
    }

    bool End() override { return m_stream.Flush(); }

private:
    const std::vector<ReportColumn>& m_columns;
    ReportStream m_stream;
    const char m_separator;
    const FieldWriter m_field;
    std::string m_cell;
};

}  // namespace

std::unique_ptr<ReportWriter> MakeCsvWriter(ReportKind kind, ReportOutput& output)
{
    return std::make_unique<DelimitedWriter>(kind, output, ',', AppendCsvField);
}

std::unique_ptr<ReportWriter> MakeTextWriter(ReportKind kind, ReportOutput& output)
{
    return std::make_unique<DelimitedWriter>(kind, output, '\t', AppendTextField);
}
