// What the test programs know of their surroundings.
#pragma once

#include <string>

// The Linux zone the test program was started in ("Europe/Berlin", "Asia/Tokyo"), read
// before the runtime's copy of TZ is cleared; empty when none was given.
const std::wstring& HostZone();
