#include "ReadingJob.h"

#include "KalendrixDlg.h"

UINT DropData::Count() const
{
    return m_drop != nullptr ? DragQueryFileW(m_drop, 0xFFFFFFFF, nullptr, 0) : 0;
}

std::vector<std::wstring> DropData::Names() const
{
    std::vector<std::wstring> names;
    const UINT count = Count();
    names.reserve(count);
    std::vector<wchar_t> name;
    for (UINT i = 0; i < count; ++i) {
        // With room for the terminating null.
        name.assign(DragQueryFileW(m_drop, i, nullptr, 0) + 1, L'\0');
        DragQueryFileW(m_drop, i, name.data(), static_cast<UINT>(name.size()));
        names.push_back(name.data());
    }
    return names;
}

void DropData::Release()
{
    if (m_drop != nullptr)
        DragFinish(m_drop);
    m_drop = nullptr;
}

ReadingJob::ReadingJob(CKalendrixDlg& dialog, ChoiceReading reading, ReadingPurpose purpose, DropData drop)
    : m_dialog(dialog), m_reading(std::move(reading)), m_purpose(purpose), m_drop(std::move(drop))
{
}

void ReadingJob::Work(WorkProgress& progress)
{
    if (m_reading.chosen.empty())
        m_reading.chosen = m_drop.Names();
    const size_t count = m_reading.items.empty() ? m_reading.chosen.size() : m_reading.items.size();
    progress.Begin(count);
    ReadChoice(m_reading, [&progress](size_t done, size_t total) {
        progress.Begin(total); // a walk's total grows with what it finds
        while (progress.Done() < done)
            progress.ItemDone();
        return !progress.CancelRequested();
    });
}

void ReadingJob::End()
{
    m_drop.Release();
    m_dialog.ReadingEnded(std::move(m_reading), m_purpose);
}
