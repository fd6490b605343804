// Opens files the way a reader beside their owner should: read-only, sharing
// reading, writing and deleting, so the program that owns them (a browser
// writing its cache) can go on writing, renaming and deleting them meanwhile.
#pragma once

// A C runtime descriptor of the file, or -1.
int OpenSharedReadOnly(const char* path);
