#pragma once
// File times turned into local time as ToLocalTime does, but faster where
// many are turned: the system's conversion looks the zone's rules up every
// time, which cost a reader about a tenth of its time on a tree of varied
// times. The zone's offset from UTC is kept for each quarter of an hour met
// (every change of a zone's offset falls on one) and the date and time are
// reckoned from it; a quarter in which the offset changes is left to the
// system.
#include <array>
#include <cstdint>

#include "platform/model/services.h"  // LocalTime

namespace kestrova {

class LocalTimes {
public:
    LocalTime Of(std::int64_t seconds_since_epoch);

private:
    struct Quarter {
        std::int64_t index = INT64_MIN;
        std::int64_t offset = 0;  // local minus UTC, in seconds
        bool steady = false;      // one offset for the whole quarter
    };
    std::array<Quarter, 64> quarters_{};
};

}  // namespace kestrova
