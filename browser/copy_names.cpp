#include "browser/copy_names.h"

std::string FreeCopyName(const std::string& name,
                         const std::function<bool(const std::string&)>& taken)
{
    if (!taken(name))
        return name;
    std::string::size_type dot = name.rfind('.');
    std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    std::string extension = stem.size() == name.size() ? "" : name.substr(dot);
    for (unsigned n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
        if (!taken(candidate))
            return candidate;
    }
}

std::string CopyFailureText(const std::vector<std::string>& failedPaths)
{
    constexpr size_t shownPaths = 20;
    if (failedPaths.empty())
        return {};
    std::string text = "These files could not be copied:\r\n";
    for (size_t i = 0; i < failedPaths.size() && i < shownPaths; ++i)
        text += "\r\n" + failedPaths[i];
    if (failedPaths.size() > shownPaths)
        text += "\r\n... and " + std::to_string(failedPaths.size() - shownPaths) + " more";
    return text;
}
