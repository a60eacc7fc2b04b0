// The date in a file's name, as cameras, phones and messengers write it
// ("IMG_20240315_142233.jpg"): a wall time, read by one table of forms.
#pragma once

#include "SourceDate.h"

#include <string_view>

// A form: the text a name starts with (in either case), then the shape of its date, where
// Y, M, D, h, m, s and f stand for the digits of the year, month, day, hour, minute,
// second and millisecond, # for any digit, and every other character for itself. A shape
// without a time gives midnight.
struct NameDateForm {
    const wchar_t* prefix;
    const wchar_t* shape;
};

// The forms in the order they are tried.
extern const NameDateForm kNameDateForms[];
extern const std::size_t kNameDateFormCount;

// The date of the first form that the name (without its folder) starts with, where the
// next character is no digit; noDate where none fits, impossibleDate where the digits of
// the form that fits name no real time (month 13, 30 February, hour 24).
SourceDate DateInName(std::wstring_view fileName);
