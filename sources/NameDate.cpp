#include "NameDate.h"

const NameDateForm kNameDateForms[] = {
    {L"IMG_", L"YYYYMMDD_hhmmss"},                 // Android cameras
    {L"VID_", L"YYYYMMDD_hhmmss"},
    {L"PXL_", L"YYYYMMDD_hhmmssfff"},              // Google Pixel
    {L"MVIMG_", L"YYYYMMDD_hhmmss"},               // Google's motion photos
    {L"IMG-", L"YYYYMMDD-WA####"},                 // WhatsApp: the day alone
    {L"VID-", L"YYYYMMDD-WA####"},
    {L"WhatsApp Image ", L"YYYY-MM-DD at hh.mm.ss"},
    {L"WhatsApp Video ", L"YYYY-MM-DD at hh.mm.ss"},
    {L"Screenshot_", L"YYYY-MM-DD-hh-mm-ss"},      // Android screenshots
    {L"Screenshot_", L"YYYYMMDD-hhmmss"},
    {L"Screenshot_", L"YYYYMMDD_hhmmss"},
    {L"Screenshot ", L"YYYY-MM-DD at hh.mm.ss"},   // macOS
    {L"signal-", L"YYYY-MM-DD-hhmmss"},            // Signal
    {L"signal-", L"YYYY-MM-DD-hh-mm-ss-fff"},
    {L"", L"YYYY-MM-DD hh.mm.ss"},                 // Dropbox's camera uploads
    {L"", L"YYYYMMDD_hhmmss"},                     // Samsung
};
const std::size_t kNameDateFormCount = sizeof kNameDateForms / sizeof kNameDateForms[0];

namespace {

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

wchar_t AsciiLower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

// The fields a form's letter adds its digit to; null for a digit that counts for nothing.
int* FieldOf(wchar_t letter, WallTime* wall, int* milliseconds, int* ignored)
{
    switch (letter) {
    case L'Y': return &wall->year;
    case L'M': return &wall->month;
    case L'D': return &wall->day;
    case L'h': return &wall->hour;
    case L'm': return &wall->minute;
    case L's': return &wall->second;
    case L'f': return milliseconds;
    case L'#': return ignored;
    default: return nullptr;
    }
}

// Whether the name starts with the form, and its fields.
bool Matches(const NameDateForm& form, std::wstring_view name, WallTime* wall)
{
    const std::wstring_view prefix = form.prefix;
    const std::wstring_view shape = form.shape;
    if (name.size() < prefix.size() + shape.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (AsciiLower(prefix[i]) != AsciiLower(name[i]))
            return false;
    }
    const std::wstring_view dated = name.substr(prefix.size());
    WallTime fields = {};
    int milliseconds = 0;
    int ignored = 0;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        int* field = FieldOf(shape[i], &fields, &milliseconds, &ignored);
        if (field == nullptr) {
            if (AsciiLower(shape[i]) != AsciiLower(dated[i]))
                return false;
            continue;
        }
        if (!IsDigit(dated[i]))
            return false;
        *field = *field * 10 + (dated[i] - L'0');
    }
    if (dated.size() > shape.size() && IsDigit(dated[shape.size()]))
        return false;
    fields.ticks = static_cast<std::uint32_t>(milliseconds) * 10000;
    *wall = fields;
    return true;
}

} // namespace

SourceDate DateInName(std::wstring_view fileName)
{
    for (std::size_t i = 0; i < kNameDateFormCount; ++i) {
        WallTime wall = {};
        if (!Matches(kNameDateForms[i], fileName, &wall))
            continue;
        return IsValidWallTime(wall) ? SourceDate::Wall(wall) : SourceDate::None(NoDateReason::impossibleDate);
    }
    return SourceDate::None(NoDateReason::noDate);
}
