#include "files/text_list_ctrl.h"

#include "files/text_file.h"
#include "scan/filter_rules.h"

#include <cstring>

void CTextListCtrl::PrepareScan()
{
    if (m_filters.typeList.IsEmpty())
        m_filters.typeList = "js;vbs;txt;htm;html";
}

// The cheap tests first: the content is read only for a file that passed the
// others.
void CTextListCtrl::ExamineFile(const char* folder, const WIN32_FIND_DATAA& entry)
{
    if (entry.nFileSizeHigh == 0 && entry.nFileSizeLow == 0)
        return;
    if (!TypeListContains(m_filters.typeList, ExtensionOfName(entry.cFileName)) ||
        !PassesDateTest(entry))
        return;
    char path[MAX_PATH];
    if (!BuildPath(path, folder, entry.cFileName))
        return;
    if (!m_filters.searchText.IsEmpty()) {
        // A Close is heard between blocks of a large file's reading and search.
        auto stopRequested = [this] { return StopRequested(); };
        std::unique_ptr<char[]> text = ReadTextFile(path, stopRequested);
        if (!text || FindSearchText(text.get(), std::strlen(text.get()), m_filters.searchText,
                                    stopRequested) < 0)
            return;
    }
    AddFileRow(path);
}
