// The one rule for spelling a path, shared by the cache walker and the
// installer; portable, so the host tree can test it too.
#pragma once

// Rewrites the NUL-terminated path in place: "/" becomes "\", runs of "\" are
// collapsed from the third character on (a leading "\\" of a network path
// survives), and trailing "\" are dropped except within the first three
// characters (so "C:\" keeps its backslash).
void NormalizePath(char* path);
