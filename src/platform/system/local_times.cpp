#include "local_times.h"

#include "files.h"  // ToLocalTime

namespace kestrova {
namespace {

constexpr std::int64_t kQuarter = 15 * 60;
constexpr std::int64_t kDay = 24 * 60 * 60;

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar, and
// back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

LocalTime CivilFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / kDay;
    std::int64_t rest = seconds % kDay;
    if (rest < 0) {
        rest += kDay;
        --days;
    }
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
    LocalTime out;
    out.year = static_cast<int>(y);
    out.month = static_cast<int>(m);
    out.day = static_cast<int>(d);
    out.hour = static_cast<int>(rest / 3600);
    out.minute = static_cast<int>(rest / 60 % 60);
    out.second = static_cast<int>(rest % 60);
    return out;
}

// The offset a local time shows against its instant, or nothing when the
// system could not convert it.
bool OffsetAt(std::int64_t seconds, std::int64_t& offset) {
    const LocalTime local = ToLocalTime(seconds);
    if (local.year == 0) return false;
    const std::int64_t local_seconds =
        DaysFromCivil(local.year, static_cast<unsigned>(local.month), static_cast<unsigned>(local.day)) * kDay +
        local.hour * 3600 + local.minute * 60 + local.second;
    offset = local_seconds - seconds;
    return true;
}

}  // namespace

LocalTime LocalTimes::Of(std::int64_t seconds) {
    std::int64_t index = seconds / kQuarter;
    if (seconds % kQuarter < 0) --index;
    Quarter& quarter = quarters_[static_cast<std::uint64_t>(index) % quarters_.size()];
    if (quarter.index != index) {
        quarter.index = index;
        std::int64_t at_end = 0;
        quarter.steady = OffsetAt(index * kQuarter, quarter.offset) &&
                         OffsetAt(index * kQuarter + kQuarter - 1, at_end) && at_end == quarter.offset;
    }
    return quarter.steady ? CivilFromSeconds(seconds + quarter.offset) : ToLocalTime(seconds);
}

}  // namespace kestrova
