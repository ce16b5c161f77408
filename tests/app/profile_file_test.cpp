#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quadrel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

// Each test gets its own folder, removed afterwards.
class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() / ("quadrel-ini-" + std::to_string(::getpid()) + "-" +
                                            info->test_suite_name() + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~SettingsFileTest() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    fs::path file() const { return dir_ / "Quadrel.ini"; }
    void put(const std::string& bytes) const { std::ofstream(file(), std::ios::binary) << bytes; }
    std::string contents() const {
        std::ifstream in(file(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    SettingsFile at(const fs::path& path) {
        return SettingsFile(path, [this](const std::string& m) { errors_.push_back(m); });
    }
    std::string read(std::string_view section, std::string_view key) {
        return at(file()).read(section, key, "?");
    }
    bool write(std::string_view section, std::string_view key, std::string_view value) {
        return at(file()).write(section, key, value);
    }
    std::set<std::string> names() const {
        std::set<std::string> result;
        for (const auto& e : fs::directory_iterator(dir_))
            result.insert(e.path().filename().string());
        return result;
    }

    fs::path dir_;
    std::vector<std::string> errors_;
};

bool runningAsRoot() {
    return ::geteuid() == 0;
}

using ReadingHandEditedFile = SettingsFileTest;

TEST_F(ReadingHandEditedFile, NamesMatchWithoutCaseOrSurroundingBlanks) {
    put("  [ port SETTINGS ]  \r\n\tpORT\t=  2  \r\n");
    EXPECT_EQ(read("Port Settings", "Port"), "2");
    EXPECT_EQ(read(" PORT SETTINGS", "port "), "2");
}

TEST_F(ReadingHandEditedFile, ValuesWhollyInMatchingQuotesLoseThem) {
    put("[S]\nd=\"19200,N,8,1\"\ns= 'x y' \nmixed=\"x'\nhalf=\"x\ninner=a \"b\" c\n"
        "lone=\"\nempty=\"\"\n");
    EXPECT_EQ(read("S", "d"), "19200,N,8,1");
    EXPECT_EQ(read("S", "s"), "x y");
    EXPECT_EQ(read("S", "mixed"), "\"x'");
    EXPECT_EQ(read("S", "half"), "\"x");
    EXPECT_EQ(read("S", "inner"), "a \"b\" c");
    EXPECT_EQ(read("S", "lone"), "\"");
    EXPECT_EQ(read("S", "empty"), "");
}

TEST_F(ReadingHandEditedFile, FirstOfDuplicateKeysAndSectionsWins) {
    put("[S]\nk=1\nK=2\n[Other]\nk=9\n[s]\nk=3\nlater=4\n");
    EXPECT_EQ(read("S", "k"), "1");
    EXPECT_EQ(read("S", "later"), "?");
    EXPECT_EQ(read("Other", "k"), "9");
}

TEST_F(ReadingHandEditedFile, CommentsAndLinesWithoutEqualsAreNoKeys) {
    put("[S] ; the main section\n;hidden=1\n   ; indented=2\nbare\n[no bracket=3\n"
        "note=a;b ; c\n");
    EXPECT_EQ(read("S", ";hidden"), "?");
    EXPECT_EQ(read("S", "; indented"), "?");
    EXPECT_EQ(read("S", "bare"), "?");
    EXPECT_EQ(read("S", "[no bracket"), "?");
    EXPECT_EQ(read("S", "note"), "a;b ; c");
}

TEST_F(ReadingHandEditedFile, ValuesAreCutTo254Characters) {
    put("[S]\nlong=" + std::string(254, 'a') + std::string(46, 'b') + "\nquoted=\"" +
        std::string(260, 'q') + "\"\nexact=" + std::string(254, 'c') + "\n");
    EXPECT_EQ(read("S", "long"), std::string(254, 'a'));
    EXPECT_EQ(read("S", "quoted"), std::string(254, 'q'));
    EXPECT_EQ(read("S", "exact"), std::string(254, 'c'));
}

TEST_F(ReadingHandEditedFile, EmptyValueIsNotMissing) {
    put("[Port Settings]\nPort=\nRTS=   \n");
    EXPECT_EQ(at(file()).read("Port Settings", "Port", "1"), "");
    EXPECT_EQ(at(file()).read("Port Settings", "RTS", "1"), "");
    EXPECT_EQ(at(file()).read("Port Settings", "DTR", "0"), "0");
}

TEST_F(ReadingHandEditedFile, MissingFileSectionOrKeyGivesTheDefault) {
    EXPECT_EQ(read("S", "k"), "?");
    put("k=before any section\n[A]\nk=1\n");
    EXPECT_EQ(read("B", "k"), "?");
    EXPECT_EQ(read("A", "x"), "?");
    EXPECT_EQ(read("", "k"), "?");
}

using WritingKeepsTheRest = SettingsFileTest;

TEST_F(WritingKeepsTheRest, ReplacesInPlaceKeepingSpellingAndCrlf) {
    put("; Quadrel settings\r\n\r\n[Port Settings]\r\n  port = 1   \r\nSettings=19200,N,8,1\r\n"
        "\r\n[Unknown]\r\nzz=top\r\n");
    EXPECT_TRUE(write("PORT SETTINGS", "Port", "3"));
    EXPECT_EQ(contents(),
              "; Quadrel settings\r\n\r\n[Port Settings]\r\n  port=3\r\nSettings=19200,N,8,1\r\n"
              "\r\n[Unknown]\r\nzz=top\r\n");
    EXPECT_TRUE(errors_.empty());
}

TEST_F(WritingKeepsTheRest, FileWithoutFinalNewlineStaysWithout) {
    put("[S]\nk=1");
    EXPECT_TRUE(write("S", "k", "2"));
    EXPECT_EQ(contents(), "[S]\nk=2");
    EXPECT_TRUE(write("S", "n", "3"));
    EXPECT_EQ(contents(), "[S]\nk=2\nn=3");
    EXPECT_TRUE(write("T", "x", "y"));
    EXPECT_EQ(contents(), "[S]\nk=2\nn=3\n\n[T]\nx=y");
}

TEST_F(WritingKeepsTheRest, NewKeyGoesAfterTheLastKeyOfTheFirstSection) {
    put("[A]\na=1\nnot a key\n\n; about B\n[B]\nb=1\n[a]\nlate=1\n");
    EXPECT_TRUE(write("a", "New", "2"));
    EXPECT_EQ(contents(), "[A]\na=1\nNew=2\nnot a key\n\n; about B\n[B]\nb=1\n[a]\nlate=1\n");
    EXPECT_EQ(read("A", "late"), "?");

    put("[E]\n; nothing yet\n\n[F]\n");
    EXPECT_TRUE(write("E", "k", "v"));
    EXPECT_EQ(contents(), "[E]\nk=v\n; nothing yet\n\n[F]\n");
}

TEST_F(WritingKeepsTheRest, NewSectionGoesAtTheEndAfterOneBlankLine) {
    put("[A]\r\na=1\r\n");
    EXPECT_TRUE(write("B", "k", "v"));
    EXPECT_EQ(contents(), "[A]\r\na=1\r\n\r\n[B]\r\nk=v\r\n");

    put("[A]\na=1\n\n");
    EXPECT_TRUE(write("B", "k", "v"));
    EXPECT_EQ(contents(), "[A]\na=1\n\n[B]\nk=v\n");
}

TEST_F(WritingKeepsTheRest, FirstExitCreatesTheFileAndItsFolder) {
    const fs::path path = dir_ / "config" / "deeper" / "Quadrel.ini";
    SettingsFile profile = at(path);
    for (const char* k : {"Channel1", "Channel2", "Channel3", "Channel4"})
        EXPECT_TRUE(profile.write("Reverse Settings", k, k[7] == '3' ? "2" : "0"));
    EXPECT_TRUE(profile.write("Transmitter", "TX Mode", "2"));
    EXPECT_TRUE(profile.write("Transmitter", "TX Type", "5"));

    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "[Reverse Settings]\nChannel1=0\nChannel2=0\nChannel3=2\nChannel4=0\n\n"
              "[Transmitter]\nTX Mode=2\nTX Type=5\n");
    EXPECT_EQ(profile.read("transmitter", "tx type", "1"), "5");
    EXPECT_EQ(profile.read("Port Settings", "Port", "1"), "1");
}

TEST_F(WritingKeepsTheRest, UnchangedValueDoesNotTouchTheFile) {
    put("[S]\n  K = \"1\"  \n");
    struct stat before {};
    ASSERT_EQ(::stat(file().c_str(), &before), 0);
    EXPECT_TRUE(write("s", "k", "1"));
    struct stat after {};
    ASSERT_EQ(::stat(file().c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    EXPECT_EQ(contents(), "[S]\n  K = \"1\"  \n");
}

TEST_F(WritingKeepsTheRest, EveryValueReadsBackAsWritten) {
    const std::string values[] = {" padded ", "\"quoted\"", "'x'", "a;b", "", "\t", "x=y"};
    for (const std::string& v : values) {
        EXPECT_TRUE(write("S", "k", v));
        EXPECT_EQ(read("S", "k"), v);
    }
    EXPECT_TRUE(write("S", "k", std::string(300, 'z')));
    EXPECT_EQ(read("S", "k"), std::string(254, 'z'));
    EXPECT_EQ(contents(), "[S]\nk=" + std::string(300, 'z') + "\n");
}

TEST_F(WritingKeepsTheRest, NamesOrValuesThatWouldBreakTheFileAreRefused) {
    put("[S]\nk=1\n");
    EXPECT_FALSE(write("S", "k", "2\n[Evil]"));
    EXPECT_FALSE(write("S", "a=b", "1"));
    EXPECT_FALSE(write("S", ";k", "1"));
    EXPECT_FALSE(write("S]x", "k", "1"));
    EXPECT_FALSE(write("S", "  ", "1"));
    EXPECT_EQ(contents(), "[S]\nk=1\n");
    ASSERT_EQ(errors_.size(), 5u);
    EXPECT_NE(errors_[0].find(file().string()), std::string::npos);
}

using HostileFile = SettingsFileTest;

TEST_F(HostileFile, BinaryGarbageIsReadAroundAndKeptByteForByte) {
    std::string garbage;
    for (int c = 0; c < 256; ++c)
        if (c != '\n') garbage += static_cast<char>(c);
    const std::string before = "\xff\xfe\0\n"s + "[S]\n" + garbage + "\nk=v\0w\n"s;
    put(before);
    EXPECT_EQ(read("S", "k"), "v\0w"s);
    EXPECT_TRUE(write("S", "n", "1"));
    EXPECT_EQ(contents(), before + "n=1\n");
}

TEST_F(HostileFile, HugeFileIsReadOnlyInItsFirstMebibyteAndNeverCut) {
    std::string big = "[S]\nk=1\n";
    while (big.size() < (1u << 20) - 10) big += "; filler\n";
    big.resize((1u << 20) - 10, ';');
    big += "\ncut=0123456789abcdef\n";  // straddles the first mebibyte
    while (big.size() < (3u << 20)) big += "; more filler\n";
    big += "[Late]\nk=2\n";
    put(big);
    EXPECT_EQ(read("S", "k"), "1");
    EXPECT_EQ(read("S", "cut"), "?");
    EXPECT_EQ(read("Late", "k"), "?");
    EXPECT_FALSE(write("S", "k", "5"));
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_TRUE(contents() == big);
}

TEST_F(HostileFile, VeryLongLinesDoNotHideLaterKeys) {
    put("[S]\n" + std::string(500000, 'x') + "\nk=" + std::string(100000, 'y') + "\nafter=1\n");
    EXPECT_EQ(read("S", "after"), "1");
    EXPECT_EQ(read("S", "k"), std::string(254, 'y'));
}

TEST_F(HostileFile, DirectoryWhereTheFileShouldBe) {
    fs::create_directories(file() / "inside");
    EXPECT_EQ(read("S", "k"), "?");
    EXPECT_FALSE(write("S", "k", "1"));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "cannot save settings to " + file().string() + ": Is a directory");
    EXPECT_TRUE(fs::is_directory(file() / "inside"));

    SettingsFile reportingToStderr(file());
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(reportingToStderr.write("S", "k", "1"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quadrel: " + errors_[0] + "\n");
}

TEST_F(HostileFile, FolderThatIsAFileFailsTheWrite) {
    std::ofstream(dir_ / "blocker") << "not a folder";
    SettingsFile profile = at(dir_ / "blocker" / "Quadrel.ini");
    EXPECT_EQ(profile.read("S", "k", "?"), "?");
    EXPECT_FALSE(profile.write("S", "k", "1"));
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_TRUE(fs::is_regular_file(dir_ / "blocker"));
}

TEST_F(HostileFile, UnreadableFileGivesDefaultsAndIsNotReplaced) {
    if (runningAsRoot()) GTEST_SKIP() << "root reads any file";
    put("[S]\nk=1\n");
    fs::permissions(file(), fs::perms::none);
    EXPECT_EQ(read("S", "k"), "?");
    EXPECT_FALSE(write("S", "k", "2"));
    fs::permissions(file(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(contents(), "[S]\nk=1\n");
    EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(HostileFile, ReadOnlyFileIsNotReplaced) {
    if (runningAsRoot()) GTEST_SKIP() << "root writes any file";
    put("[S]\nk=1\n");
    fs::permissions(file(), fs::perms::owner_read);
    EXPECT_FALSE(write("S", "k", "2"));
    EXPECT_EQ(contents(), "[S]\nk=1\n");
    EXPECT_EQ(errors_.size(), 1u);
    EXPECT_EQ(names(), std::set<std::string>{"Quadrel.ini"});
}

using AtomicReplace = SettingsFileTest;

TEST_F(AtomicReplace, LeavesNoTemporaryFilesBehind) {
    for (const char* v : {"1", "2", "3"}) EXPECT_TRUE(write("S", "k", v));
    EXPECT_TRUE(write("T", "k", "1"));
    EXPECT_EQ(names(), std::set<std::string>{"Quadrel.ini"});
}

// Stands in for a full disk, which root cannot be kept from writing to
// otherwise: files may not grow past `bytes` until the guard goes.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) : oldSignal_(std::signal(SIGXFSZ, SIG_IGN)) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit limited = old_;
        limited.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldSignal_);
    }

private:
    rlimit old_{};
    void (*oldSignal_)(int);
};

TEST_F(AtomicReplace, FailedWriteKeepsTheOldFileWhole) {
    const std::string before = "[S]\nk=1\n" + std::string(200, ';') + "\n";
    put(before);
    bool written = true;
    {
        FileSizeLimit limit(64);
        written = write("S", "k", "2");
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(names(), std::set<std::string>{"Quadrel.ini"});
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("File too large"), std::string::npos) << errors_[0];
}

TEST_F(AtomicReplace, KeepsPermissionBitsAndHonoursTheUmask) {
    const mode_t oldMask = ::umask(022);
    EXPECT_TRUE(write("S", "k", "1"));
    ::umask(oldMask);
    EXPECT_EQ(fs::status(file()).permissions(), static_cast<fs::perms>(0644));

    fs::permissions(file(), static_cast<fs::perms>(0640));
    EXPECT_TRUE(write("S", "k", "2"));
    EXPECT_EQ(fs::status(file()).permissions(), static_cast<fs::perms>(0640));
}

TEST_F(AtomicReplace, LinkedFileStaysALink) {
    fs::create_directory(dir_ / "dotfiles");
    std::ofstream(dir_ / "dotfiles" / "Quadrel.ini") << "[S]\nk=1\n";
    fs::create_symlink(dir_ / "dotfiles" / "Quadrel.ini", file());
    EXPECT_TRUE(write("S", "k", "2"));
    EXPECT_TRUE(fs::is_symlink(file()));
    EXPECT_EQ(contents(), "[S]\nk=2\n");
}

// Saves the variables a test changes and puts them back afterwards.
class DefaultProfilePath : public ::testing::Test {
protected:
    ~DefaultProfilePath() override {
        restore("XDG_CONFIG_HOME", xdg_);
        restore("HOME", home_);
    }
    static std::optional<std::string> saved(const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& v) {
        if (v)
            ::setenv(name, v->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::optional<std::string> xdg_ = saved("XDG_CONFIG_HOME");
    std::optional<std::string> home_ = saved("HOME");
};

TEST_F(DefaultProfilePath, AbsoluteXdgConfigHomeIsUsed) {
    ::setenv("XDG_CONFIG_HOME", "/srv/cfg", 1);
    EXPECT_EQ(defaultSettingsPath(), fs::path("/srv/cfg/Quadrel.ini"));
}

TEST_F(DefaultProfilePath, OtherwiseTheConfigFolderInHome) {
    ::setenv("HOME", "/home/pilot", 1);
    const fs::path expected("/home/pilot/.config/Quadrel.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(defaultSettingsPath(), expected);
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(defaultSettingsPath(), expected);
    ::setenv("XDG_CONFIG_HOME", "relative/cfg", 1);
    EXPECT_EQ(defaultSettingsPath(), expected);
}

}  // namespace
}  // namespace quadrel::testing
