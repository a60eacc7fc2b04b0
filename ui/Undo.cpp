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

// What an apply changed, as its naming says it: "名前、更新日時".
std::wstring PartsOf(const std::vector<JournalEntry>& entries)
{
    unsigned changes = 0;
    bool moved = false;
    for (const JournalEntry& entry : entries) {
        changes |= entry.changes;
        moved = moved || !entry.newPath.empty();
    }
    const struct {
        bool changed;
        const wchar_t* name;
    } parts[] = {
        {moved, L"名前"},
        {(changes & kCreationPart) != 0, L"作成日時"},
        {(changes & kWritePart) != 0, L"更新日時"},
        {(changes & kAccessPart) != 0, L"アクセス日時"},
        {(changes & kAttributePart) != 0, L"属性"},
    };
    std::wstring text;
    for (const auto& part : parts) {
        if (part.changed)
            text += std::wstring(L"、") + part.name;
    }
    return text;
}

// Which apply an undo takes back: every running copy shares the one journal.
std::wstring ApplyNamed(const ChangeJournalFile& journal)
{
    const std::wstring what = std::to_wstring(FilesOf(journal.Entries())) + L" 個のファイル" + PartsOf(journal.Entries());
    const FILETIME made = journal.Made();
    SYSTEMTIME utc, local;
    if ((made.dwLowDateTime == 0 && made.dwHighDateTime == 0) || !FileTimeToSystemTime(&made, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return L"直前の適用（" + what + L"）";
    wchar_t when[64];
    swprintf(when, 64, L"%d年%d月%d日 %d:%02d:%02d", local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
             local.wSecond);
    return std::wstring(when) + L" の適用（" + what + L"）";
}

// A box taller than the screen hides its OK button.
constexpr size_t kListedPassedOver = 30;

// The last group the undo passed over, and the files it could read there: where the
// journal was damaged after the apply, they may still hold the change.
std::wstring PassedOverText(const JournalContents& contents)
{
    std::wstring text = L"\r\n記録の最後の組は途中で切れているか壊れていたため、元に戻していません（読めたのは " +
                        std::to_wstring(contents.passedOver.size()) +
                        L" 件）。適用の途中でプログラムが終わったのなら、その組のファイルはまだ変更されていませんでした。"
                        L"記録が後から壊れたのなら、その組のファイルは変更されたままのことがあります。";
    size_t listed = 0;
    for (const JournalEntry& entry : contents.passedOver) {
        if (listed++ == kListedPassedOver) {
            text += L"\r\n…ほか" + std::to_wstring(contents.passedOver.size() - kListedPassedOver) + L"件";
            break;
        }
        text += L"\r\n" + (entry.newPath.empty() ? entry.path : entry.newPath);
    }
    return text;
}

} // namespace

// The undo's journal, read on the worker: a journal may be large, and another program may
// have made it so.
class JournalReadingJob : public DialogJob {
public:
    JournalReadingJob(CKalendrixDlg& dialog, std::wstring journalPath) : path(std::move(journalPath)), m_dialog(dialog) {}
    std::wstring Doing() const override { return L"記録を読み込み中…"; }
    void Work(WorkProgress& progress) override
    {
        reading = journal->Open(path, &problem, &progress);
        cancelled = progress.CancelRequested();
    }
    void End() override { m_dialog.UndoJournalRead(*this); }

    const std::wstring path;
    std::unique_ptr<ChangeJournalFile> journal{new ChangeJournalFile};
    JournalReading reading = JournalReading::missing;
    std::wstring problem;
    bool cancelled = false;

private:
    CKalendrixDlg& m_dialog;
};

// An undo on the worker. The journal stays open until the end, which removes it through
// its handle where nothing was left.
class UndoJob : public DialogJob {
public:
    UndoJob(CKalendrixDlg& dialog, std::wstring journalPath, std::unique_ptr<ChangeJournalFile> read)
        : path(std::move(journalPath)), journal(std::move(read)), m_dialog(dialog)
    {
    }
    std::wstring Doing() const override { return L"元に戻しています…"; }
    void Work(WorkProgress& progress) override { outcome = UndoChanges(journal->Entries(), &progress); }
    void End() override { m_dialog.UndoEnded(*this); }

    const std::wstring path;
    std::unique_ptr<ChangeJournalFile> journal;
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
    std::wstring path = m_fileOperate.GetJournalPath();
    if (path.empty()) {
        UpdateUndoEntry();
        return;
    }
    StartJob(std::unique_ptr<DialogJob>(new JournalReadingJob(*this, std::move(path))));
}

void CKalendrixDlg::UndoJournalRead(JournalReadingJob& job)
{
    if (job.cancelled)
        return;
    if (job.reading == JournalReading::missing) {
        UpdateUndoEntry();
        return;
    }
    if (job.reading == JournalReading::unreadable) {
        const std::wstring text =
            L"直前の変更の記録を読めません（" + job.problem + L"）。\r\nファイルは何も変更されていません。\r\n" + job.path;
        MessageBoxW(m_hWnd, text.c_str(), ApplicationName(), MB_OK | MB_ICONERROR);
        return;
    }
    const std::wstring question = ApplyNamed(*job.journal) + L"を元に戻しますか？";
    if (MessageBoxW(m_hWnd, question.c_str(), ApplicationName(), MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    StartJob(std::unique_ptr<DialogJob>(new UndoJob(*this, job.path, std::move(job.journal))));
}

void CKalendrixDlg::UndoEnded(UndoJob& job)
{
    const std::wstring& path = job.path;
    ChangeJournalFile& journal = *job.journal;
    const UndoOutcome& outcome = job.outcome;
    const bool passedOver = journal.Contents().lastGroupPassedOver;
    // Taken back once, when nothing was left: a second undo finds nothing to do. A file left,
    // or not reached before a cancel, keeps the journal, so that the next undo tries it again.
    // A last group passed over is told first: the journal stays until the user has seen it.
    const bool keep = !outcome.left.empty() || outcome.cancelled;
    DWORD removeError = ERROR_SUCCESS;
    const auto remove = [&] { return keep || journal.Remove(&removeError); };
    const bool removed = passedOver || remove();
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
    if (passedOver)
        text += PassedOverText(journal.Contents());
    const auto removalFailed = [&] {
        const std::wstring reason = SystemMessageText(removeError);
        return L"記録 " + path + L" を消せませんでした" + (reason.empty() ? L"" : L"（" + reason + L"）") + L"。";
    };
    if (!removed)
        text += L"\r\n" + removalFailed();
    const bool clean = outcome.left.empty() && !outcome.cancelled && removed && !passedOver;
    MessageBoxW(m_hWnd, text.c_str(), ApplicationName(), MB_OK | (clean ? MB_ICONINFORMATION : MB_ICONWARNING));
    if (passedOver) {
        if (!remove())
            MessageBoxW(m_hWnd, removalFailed().c_str(), ApplicationName(), MB_OK | MB_ICONWARNING);
        UpdateUndoEntry();
    }
}
