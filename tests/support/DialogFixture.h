// The real main dialog, created modeless from its template and driven with messages,
// with a fresh temporary folder, a clean profile and a watcher that closes message boxes.
#pragma once

#include "MessageBoxWatcher.h"
#include "TempFolder.h"

#include "ui/KalendrixDlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>

class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Hands the paths over as the file selection does, and refreshes.
    void Choose(std::initializer_list<std::wstring> paths);

    std::wstring Text(int id) const { return dialog.GetDlgItemText(id); }
    // Replaces an edit's text as typing does: the edit raises its change notification.
    void Type(int id, const std::wstring& text);
    // Clicks as the user does and waits for the work the click starts (an apply runs as a
    // job whose end comes as a posted message).
    void Click(int id);
    void ClickWithoutWaiting(int id);
    // The system menu's undo entry, waited for.
    void UndoLastChange();
    // Runs the dialog's messages until no job runs; false when one still runs after
    // `milliseconds`.
    bool WaitForJob(DWORD milliseconds = 60000);
    // Runs the dialog's messages until `done` holds; false when it still does not after
    // `milliseconds`.
    bool RunMessagesUntil(const std::function<bool()>& done, DWORD milliseconds = 10000);
    // Runs the messages already posted, and what they post in turn.
    void RunPostedMessages();
    // Runs the dialog's messages for `milliseconds`, or until `event` is set.
    void RunMessages(DWORD milliseconds, HANDLE event = nullptr);
    bool Enabled(int id) const { return IsWindowEnabled(dialog.GetDlgItem(id)) != FALSE; }
    bool Checked(int id) const { return dialog.IsDlgButtonChecked(id) == BST_CHECKED; }
    // Rows and cells of the file list.
    int ListRowCount() const;
    std::wstring ListCell(int row, int column) const;
    // The six texts of a date-time row.
    std::wstring RowText(TimeRow row) const;

    // Profile values of the switches, under this program's own key.
    static void StoreProfileValue(const wchar_t* key, DWORD value);
    static bool ReadProfileValue(const wchar_t* key, DWORD* value);
    static void ClearProfile();

    CKalendrixDlg dialog;
    TempFolder folder;
    MessageBoxWatcher boxes;
};
