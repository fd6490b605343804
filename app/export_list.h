// ZEMA /export: one category's list written to a file without a window,
// found by the same list control and scan as the category's browser, so the
// file holds the rows the browser would list with the same filters.
#pragma once
#include "app/program_arguments.h"

// The process's exit status: 0 when the file was written, else non-zero
// after telling the user why.
int ExportList(const ProgramRequest& request);
