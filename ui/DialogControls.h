// Tables of the main dialog's controls that are handled alike: the three date-time rows,
// the four group switches with their controls, and the attribute boxes.
#pragma once

#include "../datetime/FieldRules.h"
#include "../res/resource.h"

#include <windows.h>

enum TimeRow { kCreationRow, kWriteRow, kAccessRow, kTimeRowCount };
enum TimeField { kYear, kMonth, kDay, kHour, kMinute, kSecond, kTimeFieldCount };

struct TimeRowControls {
    int switchId;
    int edits[kTimeFieldCount]; // year, month, day, hour, minute, second
    int spins[kTimeFieldCount];
    int sourceList; // "ファイルから": where the row's time comes from, in place of the fields
};

constexpr TimeRowControls kTimeRows[kTimeRowCount] = {
    {IDC_SWITCH_CREATE,
     {IDC_CREATE_YEAR, IDC_CREATE_MONTH, IDC_CREATE_DAY, IDC_CREATE_HOUR, IDC_CREATE_MINUTE, IDC_CREATE_SECOND},
     {IDC_CREATE_YEAR_SPIN, IDC_CREATE_MONTH_SPIN, IDC_CREATE_DAY_SPIN, IDC_CREATE_HOUR_SPIN, IDC_CREATE_MINUTE_SPIN,
      IDC_CREATE_SECOND_SPIN},
     IDC_CREATE_SOURCE},
    {IDC_SWITCH_WRITE,
     {IDC_WRITE_YEAR, IDC_WRITE_MONTH, IDC_WRITE_DAY, IDC_WRITE_HOUR, IDC_WRITE_MINUTE, IDC_WRITE_SECOND},
     {IDC_WRITE_YEAR_SPIN, IDC_WRITE_MONTH_SPIN, IDC_WRITE_DAY_SPIN, IDC_WRITE_HOUR_SPIN, IDC_WRITE_MINUTE_SPIN,
      IDC_WRITE_SECOND_SPIN},
     IDC_WRITE_SOURCE},
    {IDC_SWITCH_ACCESS,
     {IDC_ACCESS_YEAR, IDC_ACCESS_MONTH, IDC_ACCESS_DAY, IDC_ACCESS_HOUR, IDC_ACCESS_MINUTE, IDC_ACCESS_SECOND},
     {IDC_ACCESS_YEAR_SPIN, IDC_ACCESS_MONTH_SPIN, IDC_ACCESS_DAY_SPIN, IDC_ACCESS_HOUR_SPIN, IDC_ACCESS_MINUTE_SPIN,
      IDC_ACCESS_SECOND_SPIN},
     IDC_ACCESS_SOURCE},
};

// Spin ranges by field, both ends included: only values a file stamp can take.
struct SpinRange {
    int lower;
    int upper;
};
constexpr SpinRange kSpinRanges[kTimeFieldCount] = {{kFirstWritableYear, kLastWritableYear}, {1, 12}, {1, 31}, {0, 23}, {0, 59}, {0, 59}};

// The attribute boxes that the user sets, in the order they are read, with their flags.
struct AttributeBox {
    int id;
    BYTE bit;
};
constexpr AttributeBox kAttributeBoxes[] = {
    {IDC_ATTR_READONLY, FILE_ATTRIBUTE_READONLY},
    {IDC_ATTR_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
    {IDC_ATTR_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
    {IDC_ATTR_SYSTEM, FILE_ATTRIBUTE_SYSTEM},
};

// Finds the row and field of a date-time edit; false for any other control.
constexpr bool FindTimeField(int id, TimeRow* row, TimeField* field)
{
    for (int r = 0; r < kTimeRowCount; ++r) {
        for (int f = 0; f < kTimeFieldCount; ++f) {
            if (kTimeRows[r].edits[f] == id) {
                *row = static_cast<TimeRow>(r);
                *field = static_cast<TimeField>(f);
                return true;
            }
        }
    }
    return false;
}

// The group switches: each stores its state under a profile key and enables its controls.
enum SwitchGroupIndex { kCreateSwitch, kWriteSwitch, kAccessSwitch, kAttributeSwitch, kSwitchGroupCount };

struct SwitchGroup {
    int switchId;
    const wchar_t* profileKey;
    int controls[kTimeFieldCount];
    int controlCount;
};

static_assert(static_cast<int>(kCreateSwitch) == kCreationRow && static_cast<int>(kWriteSwitch) == kWriteRow &&
                  static_cast<int>(kAccessSwitch) == kAccessRow,
              "the time rows' switch groups share the rows' numbers");

constexpr const wchar_t* kProfileSection = L"Prop";

constexpr SwitchGroup kSwitchGroups[kSwitchGroupCount] = {
    {IDC_SWITCH_CREATE, L"fileCreate",
     {IDC_CREATE_YEAR, IDC_CREATE_MONTH, IDC_CREATE_DAY, IDC_CREATE_HOUR, IDC_CREATE_MINUTE, IDC_CREATE_SECOND}, 6},
    {IDC_SWITCH_WRITE, L"fileLastChange",
     {IDC_WRITE_YEAR, IDC_WRITE_MONTH, IDC_WRITE_DAY, IDC_WRITE_HOUR, IDC_WRITE_MINUTE, IDC_WRITE_SECOND}, 6},
    {IDC_SWITCH_ACCESS, L"fileLastRead",
     {IDC_ACCESS_YEAR, IDC_ACCESS_MONTH, IDC_ACCESS_DAY, IDC_ACCESS_HOUR, IDC_ACCESS_MINUTE, IDC_ACCESS_SECOND}, 6},
    {IDC_SWITCH_ATTRIBUTE, L"Attribute", {IDC_ATTR_READONLY, IDC_ATTR_HIDDEN, IDC_ATTR_ARCHIVE, IDC_ATTR_SYSTEM}, 4},
};
