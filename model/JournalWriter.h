// Writing one apply's journal, so that the previous journal is replaced only once the new
// one holds a group, and comes back exactly when the apply changed nothing after all.
#pragma once

#include "../framework/UniqueHandle.h"
#include "ChangeJournal.h"

#include <windows.h>
#include <string>
#include <vector>

// Writes one apply's journal. The first group goes to a new file beside the journal, which
// takes the journal's place (replaced in one step, written through) only once that group is
// on the disk; the previous journal stays aside until Finish. Every later group is appended
// and flushed. Nothing is replaced until the first AppendGroup succeeds: an apply that
// changes nothing, or cannot write its journal, leaves the previous journal as it was.
class ChangeJournalWriter {
public:
    explicit ChangeJournalWriter(std::wstring path);
    // Without Finish (an exception left the apply halfway), files may have changed after
    // the last group was written: the new journal is kept, as by Finish(true).
    ~ChangeJournalWriter();
    ChangeJournalWriter(const ChangeJournalWriter&) = delete;
    ChangeJournalWriter& operator=(const ChangeJournalWriter&) = delete;

    // Writes the group's lines and its closing line in one write and flushes them; for the
    // first group, then puts the new journal in place. False (with the system's error) when
    // the group is not on the disk: the previous journal is then still in place if this was
    // the first group.
    bool AppendGroup(const std::vector<JournalEntry>& entries, DWORD* error);
    // The apply is over. `changedAnything` false: no file was changed after all (a rename
    // that failed, every file refused), and the previous journal takes its place again,
    // exactly as it was, unless another running copy has written a journal meanwhile.
    void Finish(bool changedAnything);
    // What Finish could not tidy up (the previous journal not back in place, a journal or
    // the previous one kept aside not removed), with the system's reason; empty when all went.
    const std::wstring& CleanUpProblem() const { return m_cleanUpProblem; }
    // True once a group is in place.
    bool Begun() const { return m_begun; }
    const std::wstring& Path() const { return m_path; }

private:
    bool Begin(const std::string& group, DWORD* error);
    // The journal under the name, open with delete access, when it is this writer's.
    UniqueHandle OpenIfOurs() const;

    std::wstring m_path;
    std::wstring m_backup;   // the previous journal, kept aside until Finish
    UniqueHandle m_file;     // the journal in place, open for appending
    FileIdentity m_identity; // of the journal this writer put in place
    bool m_hadPrevious = false;
    bool m_begun = false;
    bool m_finished = false;
    FILETIME m_began = {};
    std::wstring m_cleanUpProblem;
};

// At a start: what writers that ended without Finish (the program was killed) left beside
// the journal at `path`. A new journal that never took the journal's place named only
// files that were not changed yet, and goes; a previous journal kept aside goes where a
// journal is in place (the newer whole one), and takes its place where none is. What
// another running copy writes is left alone. Returns the leftovers that could not be
// cleaned up.
std::vector<std::wstring> CleanUpJournalLeftovers(const std::wstring& path);
