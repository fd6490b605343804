// What the program was asked to do on its command line: open the launcher
// (on the found caches or on folders of the user's), print its usage, or
// export one category's list to a file without a window. Portable, so the
// host tree tests the rules.
#pragma once
#include "reports/report_writer.h"

#include <cstdint>
#include <string>
#include <vector>

enum class ProgramMode { Launcher, Usage, Export };

// The browsers a list can be exported from, as /export names them.
enum class ExportCategory { Images, Text, Other, Flashes, Movies, Audios };
// "images", "text", ...: the category's name on the command line.
const char* ExportCategoryName(ExportCategory category);

struct ProgramRequest {
    ProgramMode mode = ProgramMode::Launcher;
    // /cache FOLDER...: these folders alone instead of the found caches.
    std::vector<std::string> cacheFolders;

    // Export only.
    ExportCategory category = ExportCategory::Images;
    std::string file;
    ReportFormat format = ReportFormat::Csv;
    int32_t sinceDays = -1;  // -1: any date; 0: today
    std::string types;       // images and text: the type list, ";" between
    std::string search;      // text: what the files must hold
    std::string pattern;     // other: the wildcard on the names
};

// Reads the arguments after the program's name; false with a sentence for
// the user when they ask for something the program cannot do.
bool ParseProgramArguments(const std::vector<std::string>& arguments, ProgramRequest& request,
                           std::string& problem);

// The text /? prints, lines ended by CRLF.
extern const char programUsage[];
