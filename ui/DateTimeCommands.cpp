// Commands that fill the ticked date-time rows in one step.
#include "TimeRows.h"

#include <time.h>

void TimeRows::CommandDone(std::initializer_list<TimeRow> rows)
{
    for (TimeRow row : rows) {
        if (Ticked(row))
            m_touched[row] = true;
    }
    Owner().PartEdited(true);
}

void TimeRows::OnOriginalTime()
{
    const FileRecord first = Owner().FirstFileRecord();
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (!Ticked(static_cast<TimeRow>(row)))
            continue;
        if (m_mode == ChangeMode::shift) {
            // Each file's own time is an offset of nothing.
            ProgramWrites writing(m_programWrites);
            for (int id : kTimeRows[row].edits)
                SetText(id, L"0");
        } else {
            ShowStamp(static_cast<TimeRow>(row), first);
        }
    }
    CommandDone({kCreationRow, kWriteRow, kAccessRow});
}

void TimeRows::OnCurrentTime()
{
    // One instant for every row, so that the rows agree to the second.
    const TimeValue now = _time64(nullptr);
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (Ticked(static_cast<TimeRow>(row)))
            WriteRow(static_cast<TimeRow>(row), now);
    }
    CommandDone({kCreationRow, kWriteRow, kAccessRow});
}

void TimeRows::OnClearTime()
{
    for (int row = 0; row < kTimeRowCount; ++row) {
        if (!Ticked(static_cast<TimeRow>(row)))
            continue;
        for (int field : {kHour, kMinute, kSecond})
            SetText(kTimeRows[row].edits[field], L"0");
    }
    CommandDone({kCreationRow, kWriteRow, kAccessRow});
}

void TimeRows::OnSameAsCreation()
{
    // The creation row is copied as it stands, ticked or not, empty fields included, and
    // with the year it shows.
    ProgramWrites writing(m_programWrites);
    std::wstring texts[kTimeFieldCount];
    for (int field = 0; field < kTimeFieldCount; ++field)
        texts[field] = Text(kTimeRows[kCreationRow].edits[field]);
    for (TimeRow row : {kWriteRow, kAccessRow}) {
        if (!Ticked(row))
            continue;
        for (int field = 0; field < kTimeFieldCount; ++field)
            SetText(kTimeRows[row].edits[field], texts[field]);
    }
    CommandDone({kWriteRow, kAccessRow});
}
