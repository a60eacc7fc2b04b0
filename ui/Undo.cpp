// Taking back the last apply: the system menu's undo entry.
#include "KalendrixDlg.h"

#include "../framework/Exceptions.h"
#include "../framework/Application.h"
#include "../model/ChangeUndo.h"
#include "../model/JournalReader.h"
#include "FailureReport.h"

#include <cwchar>
#include <set>
#include <tuple>

namespace {

// Files, not lines: a renamed file has a line for its move and one for its stamps.
size_t FilesOf(const std::vector<JournalEntry>& entries)
{
    std::set<std::wstring> paths;
    std::set<std::tuple<ULONGLONG, ULONGLONG, ULONGLONG>> identities;
    for (const JournalEntry& entry : entries) {
        if (entry.identity.Known()) {
            identities.insert(std::make_tuple(entry.identity.volume, entry.identity.high, entry.identity.low));
        } else {
            std::wstring path = entry.newPath.empty() ? entry.path : entry.newPath;
            CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
            paths.insert(path);
        }
    }
    return paths.size() + identities.size();
}

// Which apply an undo took back: every running copy shares the one journal.
std::wstring ApplyNamed(const ChangeJournalFile& journal)
{
    const std::wstring files = std::to_wstring(FilesOf(journal.Entries())) + L" 個のファイル";
    const FILETIME made = journal.Made();
    SYSTEMTIME utc, local;
    if ((made.dwLowDateTime == 0 && made.dwHighDateTime == 0) || !FileTimeToSystemTime(&made, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return L"直前の適用（" + files + L"）";
    wchar_t when[64];
    swprintf(when, 64, L"%d年%d月%d日 %d:%02d:%02d", local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
             local.wSecond);
    return std::wstring(when) + L" の適用（" + files + L"）";
}

} // namespace

// An undo on the worker. The journal stays open until the end, which removes it through
// its handle where nothing was left.
class UndoJob : public DialogJob {
public:
    explicit UndoJob(CKalendrixDlg& dialog) : m_dialog(dialog) {}
    std::wstring Doing() const override { return L"元に戻しています…"; }
    void Work(WorkProgress& progress) override { outcome = UndoChanges(journal.Entries(), &progress); }
    void End() override { m_dialog.UndoEnded(*this); }

    std::wstring path;
    ChangeJournalFile journal;
    UndoOutcome outcome;

private:
    CKalendrixDlg& m_dialog;
};

void CKalendrixDlg::UpdateUndoEntry()
{
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu == nullptr)
        return;
    const std::wstring& journal = m_fileOperate.GetJournalPath();
    const bool offered =
        !JobRunning() && !journal.empty() && GetFileAttributesW(journal.c_str()) != INVALID_FILE_ATTRIBUTES;
    EnableMenuItem(systemMenu, IDM_UNDO_LAST_CHANGE, MF_BYCOMMAND | (offered ? MF_ENABLED : MF_GRAYED));
}

void CKalendrixDlg::OnInitMenuPopup(WPARAM, LPARAM lParam)
{
    // Another run of the program may have applied or undone since the menu was last shown.
    if (HIWORD(lParam))
        UpdateUndoEntry();
}

void CKalendrixDlg::OnUndoLastChange()
{
    if (RefuseDuringJob())
        return;
    std::unique_ptr<UndoJob> job(new UndoJob(*this));
    const std::wstring& path = job->path = m_fileOperate.GetJournalPath();
    std::wstring problem;
    const JournalReading reading = path.empty() ? JournalReading::missing : job->journal.Open(path, &problem);
    if (reading == JournalReading::missing) {
        UpdateUndoEntry();
        return;
    }
    if (reading == JournalReading::unreadable) {
        const std::wstring text = L"直前の変更の記録を読めません（" + problem + L"）。\r\nファイルは何も変更されていません。\r\n" + path;
        MessageBoxW(m_hWnd, text.c_str(), ApplicationName(), MB_OK | MB_ICONERROR);
        return;
    }

    StartJob(std::move(job));
}

void CKalendrixDlg::UndoEnded(UndoJob& job)
{
    const std::wstring& path = job.path;
    ChangeJournalFile& journal = job.journal;
    const UndoOutcome& outcome = job.outcome;
    // Taken back once, when nothing was left: a second undo finds nothing to do. A file left,
    // or not reached before a cancel, keeps the journal, so that the next undo tries it again.
    DWORD removeError = ERROR_SUCCESS;
    const bool removed = !outcome.left.empty() || outcome.cancelled || journal.Remove(&removeError);
    UpdateUndoEntry();

    for (const auto& move : outcome.moves)
        m_fileOperate.FileMoved(move.first, move.second);
    if (m_fileOperate.GetCount() > 0)
        UpdateFileView();

    std::wstring text = ApplyNamed(journal) + L"を元に戻しました。";
    if (outcome.cancelled) {
        text = ApplyNamed(journal) + L"を元に戻す途中で中止しました。\r\n";
        if (!outcome.left.empty())
            text += FailureListText(outcome.left, path) + L"以上のファイルは元に戻していません。\r\n";
        text += L"記録は残してあります。もう一度「直前の変更を元に戻す」を選ぶと、残ったファイルを元に戻します。";
    } else if (!outcome.left.empty()) {
        text = ApplyNamed(journal) + L"を元に戻しました。ただし次のファイルは元に戻していません。\r\n";
        text += FailureListText(outcome.left, path);
        text += L"以上のファイルは元に戻していません。ほかのファイルは元に戻しました。\r\n"
                L"記録は残してあります。もう一度「直前の変更を元に戻す」を選ぶと、残ったファイルをやり直します。";
    }
    if (!removed) {
        const std::wstring reason = SystemMessageText(removeError);
        text += L"\r\n記録 " + path + L" を消せませんでした" + (reason.empty() ? L"" : L"（" + reason + L"）") + L"。";
    }
    MessageBoxW(m_hWnd, text.c_str(), ApplicationName(),
                MB_OK | (outcome.left.empty() && !outcome.cancelled && removed ? MB_ICONINFORMATION : MB_ICONWARNING));
}
