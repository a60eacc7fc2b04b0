// Reading a choice of files on the worker: from the paths handed over (or a drop's names,
// taken on the worker too), a file set of the job's own; the dialog takes it whole at the end.
#pragma once

#include "../model/ChoiceReading.h"
#include "DialogJob.h"

#include <windows.h>
#include <shellapi.h>
#include <vector>

class CKalendrixDlg;

// What a reading is for: a choice shown afresh, or the states of the files on show read
// again (after an apply), the rows staying as they are.
enum class ReadingPurpose { view, list };

// A drop's data, released once its names are taken, or with its owner.
class DropData {
public:
    explicit DropData(HDROP drop = nullptr) : m_drop(drop) {}
    ~DropData() { Release(); }
    DropData(DropData&& other) noexcept : m_drop(other.m_drop) { other.m_drop = nullptr; }
    DropData& operator=(DropData&&) = delete;
    DropData(const DropData&) = delete;
    DropData& operator=(const DropData&) = delete;

    UINT Count() const;
    // Every name, each as long as the drop says it is.
    std::vector<std::wstring> Names() const;
    void Release();

private:
    HDROP m_drop;
};

class ReadingJob : public DialogJob {
public:
    ReadingJob(CKalendrixDlg& dialog, ChoiceReading reading, ReadingPurpose purpose, DropData drop = DropData());
    std::wstring Doing() const override { return L"読み込み中…"; }
    void Work(WorkProgress& progress) override;
    void End() override;

private:
    CKalendrixDlg& m_dialog;
    ChoiceReading m_reading;
    ReadingPurpose m_purpose;
    DropData m_drop;
};
