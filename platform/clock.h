// Local wall-clock time, the one source of "today" for dates and file headers.
#pragma once

namespace vortel {

struct local_time {
    int year;    // e.g. 2026
    int month;   // 1-12
    int day;     // 1-31
    int hour;    // 0-23
    int minute;  // 0-59
    int second;  // 0-60
};

local_time local_time_now();

}  // namespace vortel
