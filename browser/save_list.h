// Save List...: the save dialog that names the file, its format and which
// rows go in, then the report written on a worker while the window stays
// answering, with progress and Cancel.
#pragma once
#include "browser/list_report_file.h"

#include <windows.h>

#include <functional>
#include <string>

struct SaveListChoice {
    std::string target;
    ReportFormat format = ReportFormat::Csv;
    bool selectedOnly = false;
};

// The save dialog: CSV, tab-separated text or HTML, the file type's
// extension added to a name without one, confirmation before replacing a
// file. "Selected rows only" is offered when rows are selected and starts
// checked for more than one. False when the user cancelled.
bool ChooseListReport(HWND owner, UINT selectedCount, SaveListChoice& choice);

// Writes the report on a worker while this thread keeps dispatching its
// messages, with the owner disabled as under a modal dialog (its records stay
// until the worker has ended). keepGoing runs on this thread a few times a
// second with the rows done; false stops the worker.
ListReportResult WriteListReportAnswering(HWND owner, const ListReport& report,
                                          const std::string& target,
                                          const std::function<bool(size_t done)>& keepGoing);

// The whole of Save List after the dialog: the shell's progress dialog for a
// long list, whose Cancel stops the worker, and a message naming the file
// when it could not be written.
void SaveListReport(HWND owner, const ListReport& report, const std::string& target);
