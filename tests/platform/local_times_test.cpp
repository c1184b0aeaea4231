// Local times reckoned from a kept offset must be the system's own, also
// across the changes to and from summer time and in zones whose offsets
// are not whole hours.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "platform/system/files.h"
#include "platform/system/local_times.h"

namespace kestrova {
namespace {

void ExpectSameAsTheSystem(const char* zone) {
    SCOPED_TRACE(zone);
    LocalTimes times;
    std::vector<std::int64_t> instants;
    // Every 7 minutes 13 seconds through 2020 (both changes of the year
    // included), then times from 1901 to 2099 in random order, so the kept
    // quarters are met in and out of turn.
    for (std::int64_t t = 1577836800; t < 1609459200; t += 433) instants.push_back(t);
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i) {
        instants.push_back(std::uniform_int_distribution<std::int64_t>(-2177452800LL, 4102444800LL)(random));
    }
    int differing = 0;
    for (const std::int64_t t : instants) {
        const LocalTime expected = ToLocalTime(t);
        const LocalTime got = times.Of(t);
        if (!(got == expected) && ++differing <= 3) {
            ADD_FAILURE() << t << ": " << got.year << "-" << got.month << "-" << got.day << " " << got.hour << ":"
                          << got.minute << ":" << got.second << " where the system says " << expected.year << "-"
                          << expected.month << "-" << expected.day << " " << expected.hour << ":" << expected.minute
                          << ":" << expected.second;
        }
    }
    EXPECT_EQ(differing, 0);
}

#ifdef _WIN32
TEST(LocalTimes, SameAsTheSystemInItsZone) { ExpectSameAsTheSystem("the system's zone"); }
#else
// Zones as rules, so no time-zone database need be installed; the last
// changes its offset at odd minutes, as zones did before standard time.
TEST(LocalTimes, SameAsTheSystemInZonesWithAndWithoutSummerTime) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    for (const char* zone : {"UTC0", "CET-1CEST,M3.5.0,M10.5.0/3", "NST3:30NDT,M3.2.0,M11.1.0", "<+0545>-5:45",
                             "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0", "JST-9",
                             "XST-1XDT,M3.5.0/2:07,M10.5.0/3:11"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        ExpectSameAsTheSystem(zone);
    }
    if (old) ::setenv("TZ", saved.c_str(), 1);
    else ::unsetenv("TZ");
    ::tzset();
}
#endif

}  // namespace
}  // namespace kestrova
