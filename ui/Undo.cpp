// Taking back the last apply: the system menu's undo entry.
#include "KalendrixDlg.h"

#include "../framework/WinApp.h"
#include "../framework/Exceptions.h"
#include "../model/ChangeUndo.h"

void CKalendrixDlg::UpdateUndoEntry()
{
    HMENU systemMenu = GetSystemMenu(m_hWnd, FALSE);
    if (systemMenu == nullptr)
        return;
    const std::wstring& journal = m_fileOperate.GetJournalPath();
    const bool offered = !journal.empty() && GetFileAttributesW(journal.c_str()) != INVALID_FILE_ATTRIBUTES;
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
    const std::wstring& journal = m_fileOperate.GetJournalPath();
    ChangeJournalFile journalFile;
    std::wstring problem;
    const JournalReading reading = journal.empty() ? JournalReading::missing : journalFile.Open(journal, &problem);
    if (reading == JournalReading::missing) {
        UpdateUndoEntry();
        return;
    }
    if (reading == JournalReading::unreadable) {
        const std::wstring text = L"直前の変更の記録を読めません（" + problem + L"）。\r\nファイルは何も変更されていません。\r\n" + journal;
        MessageBoxW(m_hWnd, text.c_str(), AfxGetAppName(), MB_OK | MB_ICONERROR);
        return;
    }

    const UndoOutcome outcome = UndoChanges(journalFile.Entries());
    // Taken back once: a second undo finds nothing to do.
    DWORD removeError = ERROR_SUCCESS;
    const bool removed = journalFile.Remove(&removeError);
    UpdateUndoEntry();

    for (const auto& move : outcome.moves)
        m_fileOperate.FileMoved(move.first, move.second);
    if (m_fileOperate.GetCount() > 0)
        UpdateFileView();

    std::wstring text;
    for (const WriteFailure& left : outcome.left)
        text += left.path + L"：" + left.detail + L"\r\n";
    if (!outcome.left.empty())
        text += L"以上のファイルは元に戻していません。ほかのファイルは元に戻しました。\r\n";
    if (!removed) {
        const std::wstring reason = SystemMessageText(removeError);
        text += L"記録 " + journal + L" を消せませんでした" + (reason.empty() ? L"" : L"（" + reason + L"）") + L"。\r\n";
    }
    if (!text.empty()) {
        text.erase(text.size() - 2);
        MessageBoxW(m_hWnd, text.c_str(), AfxGetAppName(), MB_OK | MB_ICONWARNING);
    }
}
