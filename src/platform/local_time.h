// The local date and time as people read it.
#pragma once

#include <string>

// "YYYY-MM-DD HH:MM:SS" in the system's local time zone.
std::string LocalTimeStamp();
