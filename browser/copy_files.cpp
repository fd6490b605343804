#include "browser/copy_files.h"

#include "afxapp.h"
#include "browser/copy_names.h"
#include "scan/cache_item.h"
#include "scan/normalize_path.h"

#include <shlobj.h>
#include <shlwapi.h>

#include <cstdio>

namespace {

// More files than this and the copy shows its progress.
constexpr size_t filesWithoutProgress = 20;

bool PathTaken(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CopyOneFile(const std::string& source, const std::string& folder)
{
    // A drive root keeps its backslash.
    std::string prefix = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    std::string name = FreeCopyName(FileNamePart(source.c_str()), [&](const std::string& candidate) {
        return PathTaken(prefix + candidate);
    });
    std::string target = prefix + name;
    if (target.size() >= MAX_PATH)
        return false;
    return ::CopyFileA(source.c_str(), target.c_str(), TRUE) != FALSE;
}

class CopyProgress {
public:
    CopyProgress(HWND owner, size_t total) : m_total(total)
    {
        if (total <= filesWithoutProgress ||
            FAILED(::CoCreateInstance(CLSID_ProgressDialog, nullptr, CLSCTX_INPROC_SERVER,
                                      IID_IProgressDialog, reinterpret_cast<void**>(&m_dialog))))
            return;
        m_dialog->SetTitle(L"Copy To");
        m_dialog->StartProgressDialog(owner, nullptr, PROGDLG_NORMAL | PROGDLG_AUTOTIME, nullptr);
    }
    ~CopyProgress()
    {
        if (m_dialog) {
            m_dialog->StopProgressDialog();
            m_dialog->Release();
        }
    }
    // False when the user asked to stop.
    bool Step(size_t done, const std::string& path)
    {
        if (!m_dialog)
            return true;
        wchar_t line[MAX_PATH];
        ::MultiByteToWideChar(CP_ACP, 0, FileNamePart(path.c_str()), -1, line, MAX_PATH);
        m_dialog->SetLine(1, line, TRUE, nullptr);
        m_dialog->SetProgress64(done, m_total);
        return !m_dialog->HasUserCancelled();
    }

private:
    IProgressDialog* m_dialog = nullptr;
    ULONGLONG m_total;
};

void ReportFailures(const std::vector<std::string>& failed)
{
    if (failed.empty())
        return;
    std::string text = "These files could not be copied:\r\n";
    size_t shown = 0;
    for (const std::string& path : failed) {
        if (++shown > 20) {
            char more[64];
            std::snprintf(more, sizeof more, "\r\n... and %u more",
                          static_cast<unsigned>(failed.size() - 20));
            text += more;
            break;
        }
        text += "\r\n";
        text += FileNamePart(path.c_str());
    }
    AfxMessageBox(text.c_str(), MB_ICONINFORMATION);
}

}  // namespace

void CopyFilesToFolder(HWND owner, const std::vector<std::string>& paths, const char* folder)
{
    char target[MAX_PATH];
    lstrcpynA(target, folder, sizeof target);
    NormalizePath(target);
    std::string destination = target;
    CopyProgress progress(owner, paths.size());
    std::vector<std::string> failed;
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!progress.Step(i, paths[i]))
            break;
        if (!CopyOneFile(paths[i], destination))
            failed.push_back(paths[i]);
    }
    ReportFailures(failed);
}
