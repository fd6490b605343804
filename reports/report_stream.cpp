#include "reports/report_stream.h"

namespace {

// A row with a megabyte URL should not keep its buffer for the rows after.
constexpr size_t kKeptCapacity = 256 * 1024;

}  // namespace

bool ReportStream::Flush()
{
    if (!m_failed && !m_text.empty())
        m_failed = !m_output.Write(m_text.data(), m_text.size());
    if (m_text.capacity() > kKeptCapacity)
        std::string().swap(m_text);
    else
        m_text.clear();
    return !m_failed;
}
