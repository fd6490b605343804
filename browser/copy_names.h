// Names for copies that must not overwrite what a folder already holds.
#pragma once
#include <functional>
#include <string>

// The name itself when it is free, else "name (2).ext", "name (3).ext", ...
// the first that is free. The extension is what follows the last dot.
std::string FreeCopyName(const std::string& name, const std::function<bool(const std::string&)>& taken);
