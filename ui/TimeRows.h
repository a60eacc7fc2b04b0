// The three date-time rows: their three meanings (times to set, offsets to shift by, where
// each file's own time comes from), their
// fields and spins, the commands that fill them, their switches, and which rows the user
// acted on. The rules the fields follow are window-free (datetime/FieldRules.h).
#pragma once

#include "../model/ChangePlan.h"
#include "DialogControls.h"
#include "DialogPart.h"

#include <initializer_list>

class TimeRows : public DialogPart {
public:
    ChangeMode Mode() const { return m_mode; }
    // "ファイルから": where a row's time comes from, as its list shows it.
    StampSource Source(TimeRow row) const;
    // The rows take the date taken of the files: "ファイルから" with a list showing it.
    bool TakesDateTaken() const;

    // Files shown afresh: times to set, nothing the user's yet, the rows showing `first`'s
    // stamps, the switches as stored and enabled.
    void ShowFresh(const FileRecord& first);
    // No file: empty and disabled, in set mode.
    void ShowNoFile();
    // A picked file's stamps, shown in set mode only (offsets are the same for every file).
    void ShowPicked(const FileRecord& record);

    void WriteRow(TimeRow row, TimeValue value);
    // A row shows the record's stamp, or stays empty where the record has none to show.
    void ShowStamp(TimeRow row, const FileRecord& record);
    void ShowStamps(const FileRecord& record);
    // The time value of a row; raises an error naming the row and field when a field is
    // empty or the row holds no time that a file stamp can take.
    TimeValue ReadTimeRow(TimeRow row) const;
    // The offsets of a row in "ずらす" mode; an empty field or a lone minus is 0.
    TimeOffset ReadOffsetRow(TimeRow row) const;
    // The spins step through times or offsets, as the rows hold.
    void SetSpinRanges();
    // What the rows ask of every file: the mode, the rows ticked and acted on with their
    // times or offsets. Raises the error of a refused row, or leaves it out. `first`: the
    // first file, whose stamp a row that still shows it stands for.
    void AddToRequest(ChangeRequest& request, const FileRecord& first, bool leaveOutRefusedRows) const;

    // Handlers, as the dialog's message map passes them on.
    void OnFieldChanged(int id);
    void OnFieldLeft(int id);
    void OnModeChosen(ChangeMode mode);
    void OnSourceChosen(int id);
    void OnOriginalTime();
    void OnCurrentTime();
    void OnClearTime();
    void OnSameAsCreation();
    void OnSwitchClicked(TimeRow row);

private:
    // Counts the part's own writes into the rows, during which the corrections meant for
    // typing are not made and nothing counts as the user's.
    struct ProgramWrites {
        int& depth;
        explicit ProgramWrites(int& counter) : depth(counter) { ++depth; }
        ~ProgramWrites() { --depth; }
    };

    bool CheckTimeField(const FileRecord& first, TimeRow row, int field);
    void ReplaceFieldText(int id, const std::wstring& text);
    void OffsetFieldChanged(int id);
    bool RowShowsStamp(TimeRow row, const FileRecord& first) const;
    void ShowMode();
    void FillSourceLists();
    bool Ticked(TimeRow row) const { return Checked(kTimeRows[row].switchId); }
    // A command acted on the ticked rows among `rows`: they are the user's, Apply is enabled.
    void CommandDone(std::initializer_list<TimeRow> rows);

    // What the rows hold; not stored, so that every start sets times.
    ChangeMode m_mode = ChangeMode::set;
    // The rows the user acted on since the files were shown: typed or spun a field, used a
    // command, ticked the switch. Only these are written; a switch restored ticked from an
    // earlier run is not.
    bool m_touched[kTimeRowCount] = {};
    int m_programWrites = 0;
    // The rows are shown afresh: whole rows are written, with the day after its month, and
    // the change notifications those writes raise need no check.
    bool m_showing = false;
};
