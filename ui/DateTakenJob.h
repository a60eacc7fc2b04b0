// Reading the date taken of the files on show, on the worker: from the paths handed over,
// a date (or why there is none) each; the dialog keeps them with its file set at the end.
#pragma once

#include "../model/SourceStamp.h"
#include "DialogJob.h"

#include <string>
#include <vector>

class CKalendrixDlg;

class DateTakenJob : public DialogJob {
public:
    // `files`: the indexes in the file set of the items to read, with their paths.
    DateTakenJob(CKalendrixDlg& dialog, std::vector<size_t> files, std::vector<std::wstring> paths)
        : m_dialog(dialog), m_files(std::move(files)), m_paths(std::move(paths))
    {
    }
    std::wstring Doing() const override { return L"撮影日時を読み込み中…"; }
    void Work(WorkProgress& progress) override;
    void End() override;

    const std::vector<size_t>& Files() const { return m_files; }
    const std::vector<std::wstring>& Paths() const { return m_paths; }
    // The dates read, in the order of Files(); fewer where the job was cancelled.
    const std::vector<SourceStamp>& Dates() const { return m_dates; }

private:
    CKalendrixDlg& m_dialog;
    std::vector<size_t> m_files;
    std::vector<std::wstring> m_paths;
    std::vector<SourceStamp> m_dates;
};
