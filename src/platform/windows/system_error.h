#pragma once
// The system's description of a Windows error, in the user's language.
#include <string>

namespace kestrova {

std::string WindowsErrorText(unsigned long code);
// The text of the calling thread's last error (GetLastError).
std::string LastErrorText();

}  // namespace kestrova
