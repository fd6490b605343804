// Whether a cache file is an image candidate, by its name alone.
#pragma once

// With a type list (lower case, extensions separated by ";") the file's
// extension must occur in it as a substring; without one, the registry's
// "Content Type" for the extension must name an image.
bool IsImageCandidate(const char* fileName, const char* lowerTypeList);
