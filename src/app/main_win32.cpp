// The Windows program: the Win32 backend, one program object, the main
// window's load, then the message loop until a handler ends the process.
#include <memory>

#include "app/startup.h"
#include "app/wiring.h"
#include "core/program.h"
#include "platform/system/files.h"
#include "platform/win32/win32_program.h"

int main() {
    std::unique_ptr<kestrova::Program> program;
    return kestrova::RunWin32Program([&program](kestrova::Services& services) {
        program = std::make_unique<kestrova::Program>(services, kestrova::ExecutableFolder());
        kestrova::WireHandlers(*program);
        kestrova::Form1_Load(*program);
        program->Form1.Show();
    });
}
