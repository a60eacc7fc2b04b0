// The shipped program started as a user starts it, and driven from outside its process.
#pragma once

#include <windows.h>
#include <string>

// Kalendrix.exe beside the test program (staged) or one folder up; empty when neither.
std::wstring ProgramPath();

class RunningProgram {
public:
    // Starts the program with `arguments` in `folder` and waits for its dialog.
    RunningProgram(const std::wstring& arguments, const std::wstring& folder);
    // Closes the dialog as "ｷｬﾝｾﾙ" does, once no job of it runs, and waits for the process
    // to end.
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HWND Dialog() const { return m_dialog; }
    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }
    // The text of a control of the other process (GetWindowText does not ask it).
    std::wstring Text(int id) const;
    // A list cell of the other process, read through a buffer in its memory.
    std::wstring ListText(int row, int column) const;
    // Waits up to `milliseconds` until no job (apply, undo) of the program runs: "参照" is
    // disabled while one does. False when one still runs.
    bool WaitUntilIdle(DWORD milliseconds = 10000) const;
    // Waits up to `milliseconds` for a message box of the program with `caption`, and
    // returns its text after closing it; empty when none came.
    std::wstring TakeMessageBox(const wchar_t* caption, DWORD milliseconds) const;

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_dialog = nullptr;
};
