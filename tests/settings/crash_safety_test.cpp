// A settings write killed at any moment leaves the old file or the new one
// (with every key of a write of several, as at exit),
// and the next start removes what the killed writer left behind; the reader
// and the writer agree on how large a file may grow.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <filesystem>
#include <random>

#include "settings/atomic_file.h"
#include "settings/settings_file.h"
#include "temp_dir.h"

namespace quadrel::testing {
namespace {

namespace fs = std::filesystem;

int temporaries(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir))
        n += atomic_file::isTemporaryOf(dir / "Quadrel.ini", e.path().filename().string());
    return n;
}

TEST(SettingsCrashSafety, AKilledWriterLeavesTheOldOrTheNewFile) {
    TempDir dir;
    const fs::path file = dir / "Quadrel.ini";
    const std::string oldText = "[Transmitter]\nTX Mode=1\n" + std::string(4000, ';') + "\n";
    std::mt19937 random(20261206);
    int killedMidway = 0;
    for (int trial = 0; trial < 300; ++trial) {
        writeFile(file, oldText);
        const pid_t writer = ::fork();
        ASSERT_GE(writer, 0);
        if (writer == 0) {
            SettingsFile(file, [](const std::string&) {
            }).write({{"Transmitter", "TX Mode", "2"}, {"Transmitter", "TX Type", "3"}});
            ::_exit(0);
        }
        ::usleep(std::uniform_int_distribution<int>(0, 1500)(random));
        ::kill(writer, SIGKILL);
        int status = 0;
        ::waitpid(writer, &status, 0);
        killedMidway += WIFSIGNALED(status);

        const std::string text = readFile(file);
        ASSERT_TRUE(text == oldText ||
                    text == "[Transmitter]\nTX Mode=2\nTX Type=3\n" + std::string(4000, ';') + "\n")
            << "trial " << trial << ": a torn file of " << text.size() << " bytes";
        SettingsFile(file).removeLeftovers();  // as the next start does
        ASSERT_EQ(temporaries(dir.path()), 0) << "trial " << trial;
    }
    EXPECT_GT(killedMidway, 0);  // the kills did land while writing
}

TEST(SettingsCrashSafety, LeftoversOfALivingWriterAndOtherFilesStay) {
    TempDir dir;
    const fs::path file = dir / "Quadrel.ini";
    for (const char* name : {".Quadrel.ini.k3f9x0qa", ".Quadrel.ini.00000000"})
        writeFile(dir / name, "half");
    for (const char* name : {".Quadrel.ini.K3F9X0QA", ".Quadrel.ini.short", "Quadrel.ini.k3f9x0qa",
                             ".Other.ini.k3f9x0qa"})
        writeFile(dir / name, "not ours");
    // A writer still at work holds its temporary locked.
    writeFile(dir / ".Quadrel.ini.busywrit", "being written");
    const int held = ::open((dir / ".Quadrel.ini.busywrit").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);

    EXPECT_EQ(SettingsFile(file).removeLeftovers(), 2);
    EXPECT_TRUE(fs::exists(dir / ".Quadrel.ini.busywrit"));
    EXPECT_TRUE(fs::exists(dir / ".Quadrel.ini.short"));
    EXPECT_TRUE(fs::exists(dir / ".Other.ini.k3f9x0qa"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 5);
    ::close(held);
}

TEST(SettingsCrashSafety, AWriteTheReaderCouldNotReadBackIsRefused) {
    TempDir dir;
    const fs::path file = dir / "Quadrel.ini";
    // Just under the 1 MiB the reader takes in.
    const std::string nearlyFull =
        "[Big]\nv=" + std::string((1 << 20) - 40, 'x') + "\n[Transmitter]\nTX Mode=1\n";
    writeFile(file, nearlyFull);
    std::string reported;
    SettingsFile settings(file, [&](const std::string& m) { reported = m; });
    EXPECT_TRUE(settings.write("Transmitter", "TX Mode", "2"));  // same size: fine
    EXPECT_FALSE(settings.write("Transmitter", "TX Type", std::string(100, '5')));
    EXPECT_NE(reported.find("1 MiB"), std::string::npos) << reported;
    EXPECT_EQ(settings.read("Transmitter", "TX Mode", "?"), "2");  // nothing already there is lost
    EXPECT_EQ(settings.read("Transmitter", "TX Type", "default"), "default");
    EXPECT_EQ(readFile(file).size(), nearlyFull.size());
}

}  // namespace
}  // namespace quadrel::testing
