// Deletes a registry key with everything below it.
#pragma once
#include <windows.h>

// Nonzero when the key can no longer be opened afterwards. An absent or empty
// path does nothing and fails; a subkey that survives its own deletion stops
// the walk with a failure rather than being retried forever.
int DeleteRegTree(HKEY root, const char* path);
