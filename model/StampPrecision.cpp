#include "StampPrecision.h"

#include <cwchar>

namespace {

constexpr LONGLONG kTenMilliseconds = 100000LL;
constexpr LONGLONG kTwoSeconds = 20000000LL;
constexpr LONGLONG kHour = 36000000000LL;
constexpr LONGLONG kDay = 24 * kHour;

} // namespace

StampPrecision PrecisionOfFileSystem(const wchar_t* name)
{
    StampPrecision precision;
    if (_wcsicmp(name, L"FAT") == 0 || _wcsicmp(name, L"FAT12") == 0 || _wcsicmp(name, L"FAT16") == 0 ||
        _wcsicmp(name, L"FAT32") == 0) {
        precision.creation = kTenMilliseconds;
        precision.write = kTwoSeconds;
        precision.access = kDay;
    } else if (_wcsicmp(name, L"exFAT") == 0) {
        precision.creation = kTenMilliseconds;
        precision.write = kTenMilliseconds;
        precision.access = kTwoSeconds;
    }
    return precision;
}

bool HoldsWithin(LONGLONG held, LONGLONG written, LONGLONG precision)
{
    const LONGLONG slack = precision >= kDay ? precision + kHour : precision;
    const LONGLONG difference = held > written ? held - written : written - held;
    return precision <= 1 ? held == written : difference < slack;
}

StampPrecision PrecisionOfVolume(HANDLE file)
{
    wchar_t name[MAX_PATH + 1] = L"";
    if (!GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1))
        return StampPrecision();
    return PrecisionOfFileSystem(name);
}
