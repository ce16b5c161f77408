// Start-up and exit from any settings file: the program starts, the splash
// goes, it exits; started and exited again, it writes the very same file.
#include <filesystem>
#include <string>

#include "app/program.h"
#include "check.h"
#include "fakes.h"
#include "temp_dir.h"
#include "virtual_clock.h"

using namespace quadrel;

namespace {

std::string runOnce(const std::filesystem::path& file) {
    testing::FakeSerialPort port;
    testing::FakeBeeper beeper;
    testing::FakeCableWindow cable;
    SettingsFile settings(file, [](const std::string&) {});
    Program program(
        port, cable, beeper, settings, [] {}, [](const std::string&) {});
    testing::VirtualClock clock([&](Time now) { program.advance(now); });
    program.start(clock.now());
    clock.advance(2500);
    fuzz::check(program.mainWindowShown(), "the main window never appeared");
    program.exit();
    return testing::readFile(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testing::TempDir dir;
    const std::filesystem::path file = dir / "Quadrel.ini";
    testing::writeFile(file, std::string(reinterpret_cast<const char*>(data), size));
    runOnce(file);
    const std::string first = testing::readFile(file);
    fuzz::check(runOnce(file) == first, "a second start and exit changed the file");
    return 0;
}
