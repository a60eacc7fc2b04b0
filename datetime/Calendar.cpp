#include "Calendar.h"

int DaysInMonth(int year, int month)
{
    switch (month) {
    case 4: case 6: case 9: case 11:
        return 30;
    case 2: {
        bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
        return leap ? 29 : 28;
    }
    default:
        return 31;
    }
}

std::int64_t DaysSinceEpoch(std::int64_t year, std::int64_t month, std::int64_t day)
{
    year += (month - 1) / 12;
    month = (month - 1) % 12 + 1;
    if (month < 1) {
        month += 12;
        year -= 1;
    }
    // Days from civil (H. Hinnant's algorithm): years start in March.
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}
