#include "DateText.h"

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number in `count` digits at `at`; false where one of them is not a digit.
bool Digits(std::string_view text, std::size_t at, std::size_t count, int* value)
{
    if (at > text.size() || count > text.size() - at)
        return false;
    int result = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!IsDigit(text[i]))
            return false;
        result = result * 10 + (text[i] - '0');
    }
    *value = result;
    return true;
}

bool IsOneOf(std::string_view text, std::size_t at, std::string_view choices)
{
    return at < text.size() && choices.find(text[at]) != std::string_view::npos;
}

// "YYYY?MM?DD?HH:MM:SS" with the given separators between the date's parts and before the time.
bool ReadFields(std::string_view text, std::string_view dateSeparators, std::string_view timeSeparators, WallTime* wall)
{
    WallTime fields = {};
    if (!Digits(text, 0, 4, &fields.year) || !IsOneOf(text, 4, dateSeparators) || !Digits(text, 5, 2, &fields.month) ||
        !IsOneOf(text, 7, dateSeparators) || !Digits(text, 8, 2, &fields.day) || !IsOneOf(text, 10, timeSeparators) ||
        !Digits(text, 11, 2, &fields.hour) || !IsOneOf(text, 13, ":") || !Digits(text, 14, 2, &fields.minute) ||
        !IsOneOf(text, 16, ":") || !Digits(text, 17, 2, &fields.second))
        return false;
    *wall = fields;
    return true;
}

bool IsBlankOrZero(std::string_view text)
{
    for (char c : text) {
        if (c != ' ' && c != ':' && c != '0' && c != '-')
            return false;
    }
    return true;
}

} // namespace

bool ReadOffsetText(std::string_view text, int* minutes)
{
    if (text == "Z") {
        *minutes = 0;
        return true;
    }
    if (text.empty() || (text[0] != '+' && text[0] != '-'))
        return false;
    int hours = 0;
    int rest = 0;
    const bool read = (text.size() == 6 && text[3] == ':' && Digits(text, 1, 2, &hours) && Digits(text, 4, 2, &rest)) ||
                      (text.size() == 5 && Digits(text, 1, 2, &hours) && Digits(text, 3, 2, &rest)) ||
                      (text.size() == 3 && Digits(text, 1, 2, &hours));
    if (!read || hours > 23 || rest > 59)
        return false;
    *minutes = (text[0] == '-' ? -1 : 1) * (hours * 60 + rest);
    return true;
}

std::string_view StoredText(std::string_view raw)
{
    std::string_view text = raw.substr(0, raw.find('\0'));
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

DateTextRead ReadExifDateTime(std::string_view text, WallTime* wall)
{
    if (IsBlankOrZero(text))
        return DateTextRead::absent;
    WallTime fields = {};
    if (!ReadFields(text, ":-", " T", &fields) || !IsValidWallTime(fields))
        return DateTextRead::invalid;
    *wall = fields;
    return DateTextRead::read;
}

std::uint32_t ReadSubSecondTicks(std::string_view text)
{
    std::size_t start = 0;
    while (start < text.size() && text[start] == ' ')
        ++start;
    std::uint32_t ticks = 0;
    std::uint32_t scale = 1000000;
    for (std::size_t i = start; i < text.size() && IsDigit(text[i]); ++i) {
        ticks += static_cast<std::uint32_t>(text[i] - '0') * scale;
        scale /= 10;
    }
    return ticks;
}

DateTextRead ReadIsoDateTime(std::string_view text, SourceDate* date)
{
    if (text.empty())
        return DateTextRead::absent;
    WallTime fields = {};
    if (!ReadFields(text, "-", "T ", &fields))
        return DateTextRead::invalid;
    std::size_t at = 19;
    if (at < text.size() && (text[at] == '.' || text[at] == ',')) {
        const std::size_t start = ++at;
        while (at < text.size() && IsDigit(text[at]))
            ++at;
        if (at == start)
            return DateTextRead::invalid;
        fields.ticks = ReadSubSecondTicks(text.substr(start, at - start));
    }
    if (!IsValidWallTime(fields))
        return DateTextRead::invalid;
    const std::string_view offsetText = text.substr(at);
    if (offsetText.empty()) {
        *date = SourceDate::Wall(fields);
        return DateTextRead::read;
    }
    int minutes = 0;
    std::uint64_t ticks = 0;
    if (!ReadOffsetText(offsetText, &minutes) || !InstantOf(fields, minutes, &ticks))
        return DateTextRead::invalid;
    *date = SourceDate::Instant(ticks);
    return DateTextRead::read;
}
