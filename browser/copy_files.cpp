#include "browser/copy_files.h"

#include "framework/afxapp.h"
#include "browser/copy_names.h"
#include "scan/cache_item.h"
#include "platform/normalize_path.h"

#include <string>

#include <shlobj.h>
#include <shlwapi.h>

namespace {

// More files than this and the copy shows its progress.
constexpr size_t filesWithoutProgress = 20;

bool PathTaken(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The copy is written under a temporary name in the folder and takes its own
// name only when it is complete: a copy that fails part way (a full disk, a
// source that cannot be read to its end) is removed, so no part of a file is
// ever left under a name that looks like a copy.
bool CopyOne(const CopySource& source, const std::string& folder)
{
    // A drive root keeps its backslash.
    std::string prefix = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    std::string name =
        FreeCopyName(source.name,
                     [&](const std::string& candidate) { return PathTaken(prefix + candidate); });
    std::string target = prefix + name;
    char partial[MAX_PATH];
    if (target.size() >= MAX_PATH || !::GetTempFileNameA(folder.c_str(), "zem", 0, partial))
        return false;
    // Without replacing: a file that took the name meanwhile is kept.
    if (source.write(partial) && ::MoveFileExA(partial, target.c_str(), 0))
        return true;
    ::DeleteFileA(partial);
    return false;
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
    bool Step(size_t done, const std::string& name)
    {
        if (!m_dialog)
            return true;
        wchar_t line[MAX_PATH];
        ::MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, line, MAX_PATH);
        m_dialog->SetLine(1, line, TRUE, nullptr);
        m_dialog->SetProgress64(done, m_total);
        return !m_dialog->HasUserCancelled();
    }

private:
    IProgressDialog* m_dialog = nullptr;
    ULONGLONG m_total;
};

}  // namespace

std::vector<std::string> CopyFilesToFolder(HWND owner, const std::vector<std::string>& paths,
                                           const char* folder)
{
    std::vector<CopySource> sources;
    for (const std::string& path : paths)
        sources.push_back({ FileNamePart(path.c_str()), path, [path](const char* target) {
                               return ::CopyFileA(path.c_str(), target, FALSE) != FALSE;
                           } });
    return CopyToFolder(owner, sources, folder);
}

std::vector<std::string> CopyToFolder(HWND owner, const std::vector<CopySource>& sources,
                                      const char* folder)
{
    char target[MAX_PATH];
    lstrcpynA(target, folder, sizeof target);
    NormalizePath(target);
    std::string destination = target;
    CopyProgress progress(owner, sources.size());
    std::vector<std::string> failed;
    for (size_t i = 0; i < sources.size(); ++i) {
        if (!progress.Step(i, sources[i].name))
            break;
        if (!CopyOne(sources[i], destination))
            failed.push_back(sources[i].label);
    }
    return failed;
}

void ReportCopyFailures(const std::vector<std::string>& failedPaths)
{
    if (!failedPaths.empty())
        AfxMessageBox(CopyFailureText(failedPaths).c_str(), MB_ICONINFORMATION);
}

std::vector<CopySource> CopySourcesOf(const std::vector<const CacheItem*>& rows)
{
    std::vector<CopySource> sources;
    for (const CacheItem* row : rows)
        sources.push_back({ FileNamePart(row->path), row->Label(),
                            [row](const char* target) { return row->WriteCopy(target); } });
    return sources;
}
