#include "reports/report_time.h"

namespace {

constexpr uint64_t kTicksPerSecond = 10000000;
constexpr int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr int32_t kLargestOffsetMinutes = 14 * 60;
// 9999-12-31T23:59:59Z since 1970.
constexpr int64_t kLastPrintableSecond = 253402300799;

struct CivilTime {
    int64_t year;
    unsigned month, day, hour, minute, second;
};

// The proleptic Gregorian calendar counted in 400-year eras of 146,097 days
// from a year that starts in March, so the leap day ends each counted year.
CivilTime CivilFromUnixSeconds(int64_t seconds)
{
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    const int64_t shifted = days + 719468;  // days from 0000-03-01
    const int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const int64_t dayOfEra = shifted - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    CivilTime civil;
    civil.day = static_cast<unsigned>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    civil.month =
        static_cast<unsigned>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    civil.year = yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0);
    civil.hour = static_cast<unsigned>(rest / 3600);
    civil.minute = static_cast<unsigned>(rest / 60 % 60);
    civil.second = static_cast<unsigned>(rest % 60);
    return civil;
}

void AppendDigits(uint64_t value, int count, std::string& out)
{
    char digits[20];
    for (int i = count - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(digits, static_cast<size_t>(count));
}

// The moment as "YYYY-MM-DDThh:mm:ss", or false when it has no four-digit
// year. Digits by hand: a report formats two times on each of its rows.
bool AppendCivil(int64_t unixSeconds, std::string& out)
{
    if (unixSeconds > kLastPrintableSecond)
        return false;
    const CivilTime civil = CivilFromUnixSeconds(unixSeconds);
    AppendDigits(static_cast<uint64_t>(civil.year), 4, out);
    out += '-';
    AppendDigits(civil.month, 2, out);
    out += '-';
    AppendDigits(civil.day, 2, out);
    out += 'T';
    AppendDigits(civil.hour, 2, out);
    out += ':';
    AppendDigits(civil.minute, 2, out);
    out += ':';
    AppendDigits(civil.second, 2, out);
    return true;
}

int64_t UnixSeconds(uint64_t fileTime)
{
    return static_cast<int64_t>(fileTime / kTicksPerSecond) - kSecondsFrom1601To1970;
}

}  // namespace

std::string IsoUtcTime(uint64_t fileTime)
{
    std::string text;
    if (fileTime == 0 || !AppendCivil(UnixSeconds(fileTime), text))
        return std::string();
    return text + 'Z';
}

std::string IsoLocalTime(uint64_t fileTime, int32_t offsetMinutes)
{
    if (offsetMinutes > kLargestOffsetMinutes || offsetMinutes < -kLargestOffsetMinutes)
        return std::string();
    std::string text;
    // 1601 less 14 hours is still a year of four digits.
    if (fileTime == 0 || !AppendCivil(UnixSeconds(fileTime) + int64_t(offsetMinutes) * 60, text))
        return std::string();
    const int32_t magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    text += offsetMinutes < 0 ? '-' : '+';
    AppendDigits(static_cast<uint64_t>(magnitude / 60), 2, text);
    text += ':';
    AppendDigits(static_cast<uint64_t>(magnitude % 60), 2, text);
    return text;
}
