// Writing a change plan to the files it names. A write reads as its steps: plan a group
// (open each file once, read what it holds and which file it is), record the group in the
// journal, carry the group out on the same handles, and report what was not done.
#pragma once

#include "../framework/WorkProgress.h"
#include "ChangePlan.h"
#include "WriteFailure.h"

#include <string>
#include <utility>
#include <vector>

// What one write did not do, and where it moved the first file.
struct WriteReport {
    // The files not changed as asked, each with its reason, in the order of the files; a
    // failed move and a journal that could not be written come first.
    std::vector<WriteFailure> failures;
    // The files whose file system kept a stamp otherwise than asked (FAT: to 2 s, the last
    // access to the day), each with the stamp asked and the one it holds; the journal has
    // what they hold, so that the undo finds them as written.
    std::vector<WriteFailure> rounded;
    // What the journal's writer could not tidy up at the end (see JournalWriter.h); told
    // once, apart from the files.
    std::wstring journalCleanUp;
    // Where the first file was moved; empty when it was not (none asked, or it failed).
    std::wstring movedTo;
    // Stopped when asked before the last file: the files not reached are not among the
    // failures.
    bool cancelled = false;
    // Every file took what was asked.
    bool Complete() const { return failures.empty() && !cancelled; }
};

// A job owns its writer; nothing of it is shared with the window.
class PlanWriter {
public:
    // With a journal path, every change is recorded there before it is made (see
    // JournalWriter.h); empty: not recorded.
    explicit PlanWriter(std::wstring journalPath) : m_journalPath(std::move(journalPath)) {}

    // Each of `paths` takes its item of `plan` (the same order); an item with a refused
    // stamp fails unchanged. A non-empty `newPath` other than the first path first moves the
    // first file there, never over another file (a change of case alone is a move too);
    // the first file is then written under its new name, and a failed move is named first.
    // With `progress`, counts the files done of the files in all, and when cancelled stops
    // after the file at hand: every file changed is journaled, and the files of its group
    // not reached are journaled unchanged.
    WriteReport Write(const ChangePlan& plan, std::vector<std::wstring> paths,
                      const std::wstring& newPath = std::wstring(), WorkProgress* progress = nullptr) const;

private:
    std::wstring m_journalPath;
};
