// The whole headless start-up on any settings file: read it, push it into
// the windows, run the start mode and the automatic run. Nothing may crash
// or hang. Folder rows may name any folder on the machine (the seeds name
// /tmp/kestrova-fuzz-sandbox/pics); the walk only reads, and after a few
// hundred event-loop turns the "user" interrupts (as a click on the
// progress window would), so every input stays quick.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/program.h"
#include "app/startup.h"
#include "app/wiring.h"
#include "platform/headless/headless_services.h"

namespace {

std::string program_folder;

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A small tree of files of every kind the list and the viewer deal with, at
// a fixed place so seeds can name it. libFuzzer keeps its corpus by paths
// relative to the current folder, so the current folder stays as it is.
constexpr const char* kSandbox = "/tmp/kestrova-fuzz-sandbox";

void RemoveProgramFolder() {
    std::error_code ec;
    std::filesystem::remove_all(program_folder, ec);
}

void MakeSandbox() {
    const std::filesystem::path root = kSandbox;
    std::filesystem::create_directories(root / "pics/sub/.hidden");
    for (const char* name : {"pics/a.jpg", "pics/B.PNG", "pics/c.avi", "pics/sub/d.jpg", "pics/sub/.hidden/e.bmp",
                             "pics/same1.txt", "pics/same2.txt", "pics/.dot.jpg"}) {
        WriteFile((root / name).string(), "12345");
    }
    // Each process its own program folder: several runs may share the tree.
    program_folder = (root / ("program-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(program_folder);
    std::atexit(RemoveProgramFolder);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    MakeSandbox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    WriteFile(program_folder + "/Kestrova.ini", std::string(reinterpret_cast<const char*>(data), size));
    kestrova::HeadlessServices services;
    kestrova::Program program(services, program_folder);
    for (long turn = 256; turn <= 256 * 64; turn += 256) {
        services.OnTurn(turn, [&program] {
            program.state.AbortRequested = 1;
            program.state.EndRequested = 1;
            program.state.StopFlag = 0;
        });
    }
    for (int i = 0; i < 8; ++i) services.QueueAnswer(i % 2 ? kestrova::kNo : kestrova::kYes);
    try {
        kestrova::WireHandlers(program);
        kestrova::Form1_Load(program);
        program.Form1.Show();
    } catch (const kestrova::ProgramEnded&) {
        // An automatic run may end the program; that is a normal end.
    }
    return 0;
}
