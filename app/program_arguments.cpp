#include "app/program_arguments.h"

#include "scan/filter_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

const char programUsage[] =
    "Usage:\r\n"
    "  ZEMA [/cache FOLDER]...\r\n"
    "      Opens the launcher; with /cache, on those folders alone.\r\n"
    "  ZEMA /export CATEGORY FILE [/cache FOLDER]... [/since DAYS] [/types LIST]\r\n"
    "       [/search TEXT] [/pattern WILDCARD]\r\n"
    "      Writes the list of one category without a window, in the format FILE's\r\n"
    "      extension names (.csv, .txt or .html), replacing FILE.\r\n"
    "      CATEGORY  images, text, other, flashes, movies or audios\r\n"
    "      /cache    a cache folder to read instead of the found caches (repeatable)\r\n"
    "      /since    files cached in the last DAYS days (0: today)\r\n"
    "      /types    images and text: extensions, such as gif;jpg\r\n"
    "      /search   text: what the files must hold (needed for text)\r\n"
    "      /pattern  other: a wildcard on the names, such as *.pdf (default *)\r\n"
    "  ZEMA /?\r\n"
    "      Prints this text.\r\n";

namespace {

constexpr int32_t mostSinceDays = 36500;

struct CategoryName {
    const char* name;
    ExportCategory category;
};

const CategoryName categoryNames[] = {
    { "images", ExportCategory::Images },   { "text", ExportCategory::Text },
    { "other", ExportCategory::Other },     { "flashes", ExportCategory::Flashes },
    { "movies", ExportCategory::Movies },   { "audios", ExportCategory::Audios },
};

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "/name" or "-name", lower-cased; "" for an argument that is no switch.
std::string SwitchName(const std::string& argument)
{
    if (argument.size() < 2 || (argument[0] != '/' && argument[0] != '-'))
        return std::string();
    return Lower(argument.substr(1));
}

bool ParseCategory(const std::string& text, ExportCategory& category)
{
    const std::string lower = Lower(text);
    for (const CategoryName& entry : categoryNames) {
        if (lower == entry.name) {
            category = entry.category;
            return true;
        }
    }
    return false;
}

bool ParseDays(const std::string& text, int32_t& days)
{
    if (text.empty() || text.size() > 6)
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    days = static_cast<int32_t>(std::strtol(text.c_str(), nullptr, 10));
    return days <= mostSinceDays;
}

// The switches' values once every argument is read: what each category
// takes, and what an export needs.
bool CheckExport(ProgramRequest& request, const std::vector<std::string>& given,
                 std::string& problem)
{
    auto givenSwitch = [&](const char* name) {
        for (const std::string& one : given)
            if (one == name)
                return true;
        return false;
    };
    const bool images = request.category == ExportCategory::Images;
    const bool text = request.category == ExportCategory::Text;
    const bool other = request.category == ExportCategory::Other;
    if (givenSwitch("types") && !images && !text) {
        problem = "/types applies to images and text only.";
        return false;
    }
    if (givenSwitch("search") && !text) {
        problem = "/search applies to text only.";
        return false;
    }
    if (givenSwitch("pattern") && !other) {
        problem = "/pattern applies to other only.";
        return false;
    }
    if (text && request.search.empty()) {
        problem = "The text export needs /search TEXT.";
        return false;
    }
    if (other && request.pattern.empty())
        request.pattern = "*";
    if (other && !IsNamePattern(request.pattern.c_str())) {
        problem = "/pattern takes a pattern for file names only, such as some*.pdf.";
        return false;
    }
    if (!ReportFormatOfFileName(request.file, request.format)) {
        problem = "FILE must end in .csv, .txt, .tsv, .htm or .html: " + request.file;
        return false;
    }
    return true;
}

}  // namespace

const char* ExportCategoryName(ExportCategory category)
{
    for (const CategoryName& entry : categoryNames)
        if (entry.category == category)
            return entry.name;
    return categoryNames[0].name;
}

bool ParseProgramArguments(const std::vector<std::string>& arguments, ProgramRequest& request,
                           std::string& problem)
{
    request = ProgramRequest();
    // Asking for help anywhere gets it, whatever else the line holds.
    for (const std::string& argument : arguments) {
        const std::string name = SwitchName(argument);
        if (name == "?" || name == "help") {
            request.mode = ProgramMode::Usage;
            return true;
        }
    }
    std::vector<std::string> given;
    for (size_t at = 0; at < arguments.size(); ++at) {
        const std::string name = SwitchName(arguments[at]);
        if (name.empty() || (name != "export" && name != "cache" && name != "since" &&
                             name != "types" && name != "search" && name != "pattern")) {
            problem = "Unknown argument: " + arguments[at];
            return false;
        }
        const size_t values = name == "export" ? 2 : 1;
        if (arguments.size() - at - 1 < values) {
            problem = name == "export" ? "/export needs a CATEGORY and a FILE."
                                       : "/" + name + " needs a value.";
            return false;
        }
        if (name != "cache" && std::find(given.begin(), given.end(), name) != given.end()) {
            problem = "/" + name + " is given twice.";
            return false;
        }
        given.push_back(name);
        const std::string& value = arguments[at + 1];
        if (name == "export") {
            request.mode = ProgramMode::Export;
            if (!ParseCategory(value, request.category)) {
                problem = "Unknown category: " + value +
                          " (images, text, other, flashes, movies or audios).";
                return false;
            }
            request.file = arguments[at + 2];
        } else if (name == "cache") {
            request.cacheFolders.push_back(value);
        } else if (name == "since") {
            if (!ParseDays(value, request.sinceDays)) {
                problem = "/since takes a count of days from 0 to 36500: " + value;
                return false;
            }
        } else if (name == "types") {
            request.types = Lower(value);
        } else if (name == "search") {
            request.search = value;
        } else {
            request.pattern = value;
        }
        at += values;
    }
    if (request.mode == ProgramMode::Export)
        return CheckExport(request, given, problem);
    for (const std::string& name : given) {
        if (name != "cache") {
            problem = "/" + name + " applies to /export only.";
            return false;
        }
    }
    return true;
}
