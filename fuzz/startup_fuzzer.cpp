// Start-up and exit from any settings file: the program starts, the splash
// goes, it exits; started and exited again, it writes the very same file.
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/program.h"
#include "invariants.h"
#include "temp_dir.h"
#include "virtual_clock.h"

using namespace quadrel;

namespace {

std::string runOnce(const std::filesystem::path& file) {
    testing::FakeSerialPort port;
    testing::FakeBeeper beeper;
    testing::FakeCableWindow cable;
    SettingsFile settings(file, [](const std::string&) {});
    Program program(port, cable, beeper, settings, [] {}, [](const std::string&) {});
    testing::VirtualClock clock;
    clock.add(program.ui().Timer1, [&] { program.form().Timer1_Timer(); });
    clock.add(program.ui().Timer2, [&] { program.form().Timer2_Timer(); });
    clock.add(program.about().Timer1, [&] { program.about().Timer1_Timer(); });
    program.Form_Load();
    clock.advance(2500);
    if (!program.mainWindowShown()) {
        std::fprintf(stderr, "the main window never appeared\n");
        std::abort();
    }
    program.FExit_Click();
    return testing::readFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testing::TempDir dir;
    const std::filesystem::path file = dir / "Quadrel.ini";
    testing::writeFile(file, std::string(reinterpret_cast<const char*>(data), size));
    runOnce(file);
    const std::string first = testing::readFile(file);
    const std::string second = runOnce(file);
    if (first != second) {
        std::fprintf(stderr, "a second start and exit changed the file\n");
        std::abort();
    }
    return 0;
}
