// What the test programs know of their surroundings.
#pragma once

#include <string>

// The Linux zone the test program was started in ("Europe/Berlin", "Asia/Tokyo"); a TZ
// that spells out one of these zones' rules in the runtime's style reads as its name.
// Empty when none was given.
const std::wstring& HostZone();
