// Names for copies that must not overwrite what a folder already holds, and
// the message that names the files that could not be copied.
#pragma once
#include <functional>
#include <string>
#include <vector>

// The name itself when it is free, else "name (2).ext", "name (3).ext", ...
// the first that is free. The extension is what follows the last dot.
std::string FreeCopyName(const std::string& name,
                         const std::function<bool(const std::string&)>& taken);

// The message for files that could not be copied, each by its full path (two
// cache files often share a name), the first twenty of them and then a count
// of the rest; empty when none failed.
std::string CopyFailureText(const std::vector<std::string>& failedPaths);
