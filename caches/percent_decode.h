// URL escapes undone: "%20" becomes a space; a '%' not followed by two hex
// digits stays as it is.
#pragma once
#include <string>

std::string PercentDecode(const std::string& text);
