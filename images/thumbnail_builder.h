// Turns one cached image file into one thumbnail row of the Image browser.
#pragma once

class CImageListView;

// Runs on the scan's worker thread. Decodes the file as the format its
// extension names, applies the size test, draws the picture centred on a
// white tile and appends tile and row; a file that cannot be shown is
// skipped without a trace.
void AddThumbnail(CImageListView& view, const char* path);
