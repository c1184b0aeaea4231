#pragma once
#include <string>

#include "core/program.h"

namespace kestrova {

inline constexpr const char* kListHelpTitle = "Ｈｅｌｐ";

// The list window's help: mouse and key actions of the list and the viewer.
std::string ListHelpText(const std::string& program_title);
void Pem_Help_Click(Program& p);

}  // namespace kestrova
