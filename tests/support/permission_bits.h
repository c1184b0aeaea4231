#pragma once
// Tests that take permission bits away from a file or folder only mean
// something where those bits can refuse this process anything.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kestrova::testing {

// Why chmod cannot refuse this process, or null when it can.
inline const char* WhyPermissionBitsDoNotHold() {
#ifdef _WIN32
    return "Windows folders have access lists, not permission bits";
#else
    return ::geteuid() == 0 ? "root passes every permission check" : nullptr;
#endif
}

}  // namespace kestrova::testing

#define SKIP_UNLESS_PERMISSION_BITS_HOLD()                                                     \
    if (const char* why_not = ::kestrova::testing::WhyPermissionBitsDoNotHold()) GTEST_SKIP() \
        << why_not
