// Apply and undo as jobs off the window's thread: progress, cancel, and a window that
// answers meanwhile.
#include "model/ChangeJournal.h"
#include "support/ApplyFixture.h"
#include "support/DropList.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Stamps with fractions of a second, as file systems keep them: each file its own.
const LONGLONG kWriteBefore = 127531776001234567LL; // 2005-02-18 05:20:00.1234567 UTC

FILETIME AsFileTime(LONGLONG stamp)
{
    return {static_cast<DWORD>(stamp), static_cast<DWORD>(static_cast<ULONGLONG>(stamp) >> 32)};
}

LONGLONG AsStamp(const FILETIME& time)
{
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

// What an apply of the write row can change of a file, and an undo must put back.
struct HeldState {
    LONGLONG write;
    LONGLONG access;
    DWORD attributes;
    bool operator==(const HeldState& other) const
    {
        return write == other.write && access == other.access && attributes == other.attributes;
    }
};

HeldState StateOf(const std::wstring& path)
{
    FileStamps stamps = {};
    EXPECT_TRUE(ReadStamps(path, &stamps));
    return {AsStamp(stamps.write), AsStamp(stamps.access), GetFileAttributesW(path.c_str())};
}

class Jobs : public ApplyFixture {
protected:
    void SetUp() override
    {
        ApplyFixture::SetUp();
        DeleteFileW(DefaultJournalPath().c_str());
    }
    void TearDown() override
    {
        SetEvent(resume);
        ApplyFixture::TearDown();
        CloseHandle(reached);
        CloseHandle(resume);
    }

    // `count` files, each with its own write stamp, chosen with the write row ticked and
    // typed, ready to apply. Only the first file's record is shown, which is all an apply
    // reads (the list of many files is not what these tests look at).
    void ChooseMany(int count)
    {
        for (int i = 0; i < count; ++i) {
            const std::wstring path = folder.MakeFile(L"file" + std::to_wstring(i) + L".txt");
            const FILETIME write = AsFileTime(kWriteBefore + 10000019LL * i);
            EXPECT_TRUE(WriteStamps(path, nullptr, nullptr, &write));
            paths.push_back(path);
        }
        dialog.HandOverFiles(paths);
        EXPECT_TRUE(WaitForJob()) << "the choice was not read"; // more than are read at once
        SetRow(kWriteRow, {2011, 1, 20, 12, 0, 0});
        for (const std::wstring& path : paths)
            before.push_back(StateOf(path));
    }

    // Files whose write stamp is no longer what it was.
    std::vector<size_t> Changed() const
    {
        std::vector<size_t> changed;
        for (size_t i = 0; i < paths.size(); ++i) {
            if (StateOf(paths[i]).write != before[i].write)
                changed.push_back(i);
        }
        return changed;
    }

    // The worker stops after file `at` of the job to come, until `resume` is set.
    void PauseAt(size_t at)
    {
        dialog.GetJob().SetItemObserver([this, at](WorkProgress& progress) {
            if (progress.Done() != at)
                return;
            SetEvent(reached);
            WaitForSingleObject(resume, 10000);
        });
    }

    // More files of 10 bytes than are read at once, named `stem` and a number, shown: they are
    // read on the worker. Returns their count.
    int ShowManyFiles(const std::wstring& stem)
    {
        const int count = CKalendrixDlg::kFilesReadInPlace + 200;
        std::vector<std::wstring> list;
        for (int i = 0; i < count; ++i)
            list.push_back(folder.MakeFile(stem + std::to_wstring(i) + L".txt", 10));
        dialog.HandOverFiles(list);
        EXPECT_TRUE(dialog.JobRunning()) << "read on the worker";
        EXPECT_TRUE(WaitForJob());
        return count;
    }

    std::vector<std::wstring> paths;
    std::vector<HeldState> before;
    HANDLE reached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE resume = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

// Asks the window from a thread of its own, as a user's click or the system does.
struct WindowAsker {
    HWND window;
    HANDLE ask = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE answered = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    bool answer = false;
    HANDLE thread = nullptr;

    explicit WindowAsker(HWND target) : window(target) { thread = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
    ~WindowAsker()
    {
        window = nullptr;
        SetEvent(ask);
        WaitForSingleObject(thread, INFINITE);
        for (HANDLE handle : {thread, ask, answered})
            CloseHandle(handle);
    }
    // From any thread: true when the window answered WM_NULL within two seconds.
    bool Answers()
    {
        SetEvent(ask);
        return WaitForSingleObject(answered, 5000) == WAIT_OBJECT_0 && answer;
    }
    static DWORD WINAPI Run(void* self)
    {
        WindowAsker& asker = *static_cast<WindowAsker*>(self);
        while (WaitForSingleObject(asker.ask, INFINITE) == WAIT_OBJECT_0 && asker.window != nullptr) {
            DWORD_PTR result = 0;
            asker.answer = SendMessageTimeoutW(asker.window, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
            SetEvent(asker.answered);
        }
        return 0;
    }
};

} // namespace

// The apply is cancelled after 550 of 600 files, in its second journal group of 512: the
// files after it are untouched, and the undo puts back every file exactly, also when the
// undo itself is cancelled once and chosen again. (Each undo refreshes the list, which
// costs a shell look-up a file: the count is kept small.)
TEST_F(Jobs, ACancelledApplyIsUndoneExactly)
{
    ChooseMany(600);
    dialog.GetJob().SetItemObserver([](WorkProgress& progress) {
        if (progress.Done() == 550)
            progress.RequestCancel();
    });
    Apply();
    const std::vector<size_t> changed = Changed();
    ASSERT_EQ(changed.size(), 550u) << "the apply stops after the file at hand";
    EXPECT_EQ(changed.back(), 549u);
    EXPECT_TRUE(boxes.Take().empty()) << "a cancel is no failure";
    EXPECT_TRUE(Enabled(IDC_APPLY)) << "the edits stay for Apply again";

    dialog.GetJob().SetItemObserver([](WorkProgress& progress) {
        // The undo, not the reading of its journal before it (in hundredths): its entries
        // last file first: 599 to 550 were recorded but never changed; 549 to 500 go back.
        if (progress.Total() == 600 && progress.Done() == 100)
            progress.RequestCancel();
    });
    UndoLastChange();
    std::vector<ShownMessageBox> shown = boxes.Take();
    ASSERT_EQ(shown.size(), 2u) << "the question, then the end";
    EXPECT_NE(shown[0].text.find(L" の適用（600 個のファイル、更新日時）を元に戻しますか？"), std::wstring::npos)
        << shown[0].text.c_str();
    EXPECT_NE(shown[1].text.find(L"を元に戻す途中で中止しました。"), std::wstring::npos) << shown[1].text.c_str();
    EXPECT_TRUE(GetFileAttributesW(DefaultJournalPath().c_str()) != INVALID_FILE_ATTRIBUTES)
        << "the journal stays for the files not yet back";
    // The next undo finds the files already back as they were before, and leaves them.
    EXPECT_EQ(Changed().size(), 500u);

    dialog.GetJob().SetItemObserver(nullptr);
    UndoLastChange();
    shown = boxes.Take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[1].text.find(L"を元に戻しました。"), std::wstring::npos) << shown[1].text.c_str();
    EXPECT_EQ(shown[1].text.find(L"ただし"), std::wstring::npos) << "nothing left: " << shown[1].text.c_str();
    for (size_t i = 0; i < paths.size(); ++i)
        ASSERT_TRUE(StateOf(paths[i]) == before[i]) << "not as before: " << i;
    EXPECT_EQ(GetFileAttributesW(DefaultJournalPath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// The worker's end message lost (a queue that could not take it): the window still takes
// the job's end, and is never left busy.
TEST_F(Jobs, AJobWhoseEndMessageIsLostStillEnds)
{
    ChooseMany(20);
    ClickWithoutWaiting(IDC_APPLY);
    ASSERT_TRUE(dialog.JobRunning());
    size_t lost = 0;
    const ULONGLONG start = GetTickCount64();
    while (dialog.JobRunning() && GetTickCount64() - start < 10000) {
        MSG message;
        while (PeekMessageW(&message, dialog.m_hWnd, WM_JOB_ENDED, WM_JOB_ENDED, PM_REMOVE))
            ++lost;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_JOB_ENDED && message.hwnd == dialog.m_hWnd) {
                ++lost;
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    EXPECT_EQ(lost, 1u) << "the end message was taken away";
    EXPECT_FALSE(dialog.JobRunning()) << "the dialog stays busy";
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_EQ(Changed().size(), paths.size());
}

// Asked from another thread in the middle of the apply, the window answers: the files are
// written on the worker. Done on the window's thread, the apply would hold the question
// until its end.
TEST_F(Jobs, TheWindowAnswersDuringALongApply)
{
    ChooseMany(1200);
    WindowAsker asker(dialog.m_hWnd);
    std::atomic<bool> answered{false};
    dialog.GetJob().SetItemObserver([&](WorkProgress& progress) {
        if (progress.Done() == 600)
            answered = asker.Answers();
    });
    Apply();
    EXPECT_TRUE(answered) << "the window did not answer while the apply ran";
    EXPECT_EQ(Changed().size(), paths.size());
}

// While an apply runs, its progress shows and nothing else can start work; Esc cancels the
// apply and leaves the dialog open, with everything back as it was.
TEST_F(Jobs, DuringAnApplyOnlyCancelIsOffered)
{
    ChooseMany(200);
    PauseAt(50);
    dialog.EnableDlgItem(IDC_APPLY, true);
    const int kStartingWork[] = {IDOK, IDC_APPLY, IDC_BROWSE, IDC_ORIGINAL_TIME, IDC_CURRENT_TIME, IDC_CLEAR_TIME};
    std::vector<bool> enabledBefore;
    for (int id : kStartingWork)
        enabledBefore.push_back(Enabled(id));
    ClickWithoutWaiting(IDC_APPLY);
    RunMessages(10000, reached);
    ASSERT_EQ(WaitForSingleObject(reached, 0), WAIT_OBJECT_0) << "the apply did not reach file 50";
    ASSERT_TRUE(RunMessagesUntil([this] { return IsWindowVisible(dialog.GetDlgItem(IDC_JOB_STATUS)) != FALSE; }))
        << "the progress did not show while the apply waited";

    EXPECT_TRUE(IsWindowVisible(dialog.GetDlgItem(IDC_JOB_STATUS)));
    EXPECT_TRUE(IsWindowVisible(dialog.GetDlgItem(IDC_JOB_PROGRESS)));
    EXPECT_EQ(Text(IDC_JOB_STATUS), L"適用中… 50 / 200");
    EXPECT_EQ(SendMessageW(dialog.GetDlgItem(IDC_JOB_PROGRESS), PBM_GETPOS, 0, 0), 50);
    for (int id : kStartingWork)
        EXPECT_FALSE(Enabled(id)) << "control " << id;
    EXPECT_TRUE(Enabled(IDCANCEL));
    EXPECT_TRUE(GetMenuState(GetSystemMenu(dialog.m_hWnd, FALSE), IDM_UNDO_LAST_CHANGE, MF_BYCOMMAND) & MF_GRAYED);
    SendMessageW(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({paths[0]})), 0);
    EXPECT_EQ(dialog.GetFileOperate().GetCount(), 200) << "a drop during the apply is refused";

    // Esc, as the dialog's message loop hands it over.
    MSG escape = {dialog.GetDlgItem(IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    IsDialogMessageW(dialog.m_hWnd, &escape);
    EXPECT_NE(dialog.Handle(), nullptr) << "Esc during the apply closed the dialog";
    EXPECT_EQ(Text(IDC_JOB_STATUS), L"中止しています… 50 / 200");
    SetEvent(resume);
    ASSERT_TRUE(WaitForJob());

    EXPECT_EQ(Changed().size(), 50u);
    EXPECT_FALSE(IsWindowVisible(dialog.GetDlgItem(IDC_JOB_STATUS)));
    EXPECT_FALSE(IsWindowVisible(dialog.GetDlgItem(IDC_JOB_PROGRESS)));
    for (size_t i = 0; i < enabledBefore.size(); ++i)
        EXPECT_EQ(Enabled(kStartingWork[i]), enabledBefore[i]) << "control " << kStartingWork[i];
    EXPECT_FALSE(GetMenuState(GetSystemMenu(dialog.m_hWnd, FALSE), IDM_UNDO_LAST_CHANGE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_TRUE(boxes.Take().empty());

    IsDialogMessageW(dialog.m_hWnd, &escape);
    EXPECT_EQ(dialog.GetResult(), IDCANCEL) << "with no job, Esc closes the dialog";
}

// More files than are read at once: they are read as a job, and the list shows them at its
// end; a reading cancelled halfway shows what it read and says which files it did not.
TEST_F(Jobs, ManyFilesAreReadAsAJobAndACancelledReadingShowsWhatItRead)
{
    const int count = ShowManyFiles(L"many");
    ASSERT_EQ(ListRowCount(), count);
    EXPECT_EQ(ListCell(count - 1, 6), L"0.0KB(10バイト)");
    EXPECT_EQ(RowText(kWriteRow).empty(), false);

    dialog.GetJob().SetItemObserver([](WorkProgress& progress) {
        if (progress.Done() == 256)
            progress.RequestCancel();
    });
    dialog.UpdateFileView();
    ASSERT_TRUE(WaitForJob());
    ASSERT_EQ(ListRowCount(), count) << "every chosen file keeps its row";
    int read = 0;
    int notRead = 0;
    for (int row = 0; row < count; ++row) {
        if (ListCell(row, 6) == L"0.0KB(10バイト)")
            ++read;
        else if (ListCell(row, 1) == L"（読み込みを中止したため読んでいません）")
            ++notRead;
    }
    EXPECT_EQ(read, 256) << "what was read is shown";
    EXPECT_EQ(notRead, count - 256);
    EXPECT_TRUE(boxes.Take().empty());
}

// After an apply many files are read again on the worker: the list keeps its rows meanwhile,
// takes what was read at the end, and a reading cancelled halfway leaves the rows it did
// not reach as they were (never "not read").
TEST_F(Jobs, ReadingAgainKeepsTheRowsAndTakesWhatItRead)
{
    const int count = ShowManyFiles(L"again");
    const auto grow = [&](int bytes) {
        for (int i = 0; i < count; ++i)
            folder.MakeFile(L"again" + std::to_wstring(i) + L".txt", bytes);
    };

    grow(20);
    dialog.RefreshStates();
    EXPECT_TRUE(dialog.JobRunning());
    EXPECT_EQ(ListRowCount(), count) << "the rows stay while the files are read again";
    ASSERT_TRUE(WaitForJob());
    EXPECT_EQ(ListCell(0, 6), L"0.0KB(20バイト)");
    EXPECT_EQ(ListCell(count - 1, 6), L"0.0KB(20バイト)");

    grow(30);
    dialog.GetJob().SetItemObserver([](WorkProgress& progress) {
        if (progress.Done() == 256)
            progress.RequestCancel();
    });
    dialog.RefreshStates();
    ASSERT_TRUE(WaitForJob());
    int reread = 0, kept = 0;
    for (int row = 0; row < count; ++row) {
        const std::wstring size = ListCell(row, 6);
        reread += size == L"0.0KB(30バイト)";
        kept += size == L"0.0KB(20バイト)";
    }
    EXPECT_EQ(reread, 256);
    EXPECT_EQ(kept, count - 256);
    EXPECT_TRUE(boxes.Take().empty());
}

// A large choice is read into a file set of the reading's own: while the worker walks a
// dropped folder of thousands of files, typing, clicking the boxes and the switches and
// picking rows only ever meet the files on show, which the rows keep showing until the new
// set takes their place whole at the end; the progress goes with the job.
TEST_F(Jobs, TheWindowStaysLiveAndShowsTheOldChoiceWhileANewOneIsRead)
{
    const std::wstring shown[] = {folder.MakeFile(L"shown0.txt", 10), folder.MakeFile(L"shown1.txt", 10),
                                  folder.MakeFile(L"shown2.txt", 10)};
    Choose({shown[0], shown[1], shown[2]});
    ASSERT_EQ(ListRowCount(), 3);
    const std::wstring firstRow = ListCell(0, 0);

    const std::wstring walked = folder.MakeFolder(L"walked");
    const int count = 2000;
    for (int i = 0; i < count; ++i)
        folder.MakeFile(L"walked\\photo" + std::to_wstring(i) + L".jpg", 10);
    dialog.CheckDlgButton(IDC_FOLDER_CONTENTS, BST_CHECKED);
    // The worker holds halfway through the walk while the window is worked on.
    PauseAt(count / 2);
    SendMessageW(dialog.m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({walked})), 0);
    ASSERT_TRUE(dialog.JobRunning()) << "a walk is read on the worker";
    RunMessages(20000, reached);
    ASSERT_EQ(WaitForSingleObject(reached, 0), WAIT_OBJECT_0) << "the walk did not get halfway";

    bool progressShown = false;
    const int clicked[] = {IDC_SWITCH_WRITE, IDC_ATTR_READONLY, IDC_SWITCH_ATTRIBUTE, IDC_ATTR_HIDDEN, IDC_SWITCH_CREATE};
    for (int round = 0; round < 40; ++round) {
        if (round == 30)
            SetEvent(resume); // the rest of the rounds meet the worker going on
        Type(IDC_WRITE_YEAR, round % 2 ? L"1999" : L"2024");
        Type(IDC_CREATE_DAY, std::to_wstring(1 + round % 28));
        SendMessageW(dialog.GetDlgItem(clicked[round % 5]), BM_CLICK, 0, 0);
        ListView_SetItemState(dialog.GetDlgItem(IDC_FILE_LIST), round % 3, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
        if (dialog.JobRunning()) {
            ASSERT_EQ(ListRowCount(), 3) << "round " << round << ": the rows show the files on show";
            ASSERT_EQ(ListCell(0, 0), firstRow);
        }
        progressShown = progressShown || Text(IDC_JOB_STATUS).compare(0, 6, L"読み込み中…") == 0;
        RunMessages(round < 30 ? 20 : 5);
    }
    ASSERT_TRUE(WaitForJob());
    EXPECT_TRUE(progressShown);
    EXPECT_EQ(ListRowCount(), count + 1) << "the folder and everything in it, swapped in whole";
    EXPECT_FALSE(IsWindowVisible(dialog.GetDlgItem(IDC_JOB_STATUS)));
    EXPECT_EQ(Text(IDC_JOB_STATUS), L"") << "the progress goes with its job";
    boxes.Take();
}
