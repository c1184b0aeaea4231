// The program: the Qt backend, one program object, the main window's load,
// then the event loop until a handler ends the process.
#include <memory>

#include "core/program.h"
#include "app/startup.h"
#include "app/wiring.h"
#include "platform/system/files.h"
#include "platform/system/free_memory.h"
#include "platform/qt/qt_program.h"

int main(int argc, char** argv) {
    kestrova::ReturnLargeBlocksWhenFreed();
    std::unique_ptr<kestrova::Program> program;
    return kestrova::RunQtProgram(argc, argv, [&program](kestrova::Services& services) {
        program = std::make_unique<kestrova::Program>(services, kestrova::ExecutableFolder());
        kestrova::WireHandlers(*program);
        kestrova::Form1_Load(*program);
        program->Form1.Show();
    });
}
