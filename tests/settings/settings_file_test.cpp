// Quadrel.ini as a hand-edited profile file: how it is read, how one key is
// written leaving the rest as it was, what a hostile file does, and that a
// write replaces the file whole or not at all. And the numbers in it.
#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <iterator>

#include "settings/numeric_text.h"
#include "temp_dir.h"

namespace quadrel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

struct SettingsFileTest : ::testing::Test {
    TempDir dir;
    fs::path file = dir / "Quadrel.ini";
    std::vector<std::string> errors;
    SettingsFile settings{file, [this](const std::string& m) { errors.push_back(m); }};

    std::string read(std::string_view section, std::string_view key) {
        return settings.read(section, key, "?");
    }
    // Files in the folder: a temporary file left behind shows here.
    long files() const {
        return std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{});
    }
};

struct ReadCase {
    std::string file;
    const char* section;
    std::string key;
    std::string expected;  // "?" is the default
};

const std::string kLongLine =
    "[S]\n" + std::string(500000, 'x') + "\nk=" + std::string(300, 'y') + "\nafter=1\n";
const std::string kGarbage = "\xff\xfe\0\n[S]\n\x01\x7f\x80\xff=\r=\t[\n"s + "k=v\0w\n"s;

const ReadCase kReads[] = {
    {"  [ port SETTINGS ]  \r\n\tpORT\t=  2  \r\n", "Port Settings", "Port", "2"},
    {"  [ port SETTINGS ]  \r\n\tpORT\t=  2  \r\n", " PORT SETTINGS", "port ", "2"},
    {"[S]\nd=\"19200,N,8,1\"\n", "S", "d", "19200,N,8,1"},
    {"[S]\ns= 'x y' \n", "S", "s", "x y"},
    {"[S]\nmixed=\"x'\n", "S", "mixed", "\"x'"},
    {"[S]\nlone=\"\n", "S", "lone", "\""},
    {"[S]\nempty=\"\"\n", "S", "empty", ""},
    {"[Port Settings]\nPort=\nRTS=   \n", "Port Settings", "RTS", ""},
    {"[S]\nk=1\nK=2\n[s]\nk=3\nlater=4\n", "S", "k", "1"},
    {"[S]\nk=1\nK=2\n[s]\nk=3\nlater=4\n", "S", "later", "?"},
    {"[S] ; note\n;hidden=1\n   ; indented=2\nbare\n[no bracket=3\nnote=a;b ; c\n", "S", "note",
     "a;b ; c"},
    {"[S] ; note\n;hidden=1\n   ; indented=2\n", "S", ";hidden", "?"},
    {"[S]\nbare\n[no bracket=3\n", "S", "[no bracket", "?"},
    {"[S]\nquoted=\"" + std::string(260, 'q') + "\"\n", "S", "quoted", std::string(254, 'q')},
    {kLongLine, "S", "after", "1"},
    {kLongLine, "S", "k", std::string(254, 'y')},
    {kGarbage, "S", "k", "v\0w"s},
    {"", "S", "k", "?"},
    {"k=before any section\n[A]\nk=1\n", "", "k", "?"},
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.section << '/' << c.key;
}

struct Reading : SettingsFileTest, ::testing::WithParamInterface<ReadCase> {};

TEST_P(Reading, HandEditedFile) {
    const ReadCase& c = GetParam();
    if (!c.file.empty()) writeFile(file, c.file);
    EXPECT_EQ(read(c.section, c.key), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Table, Reading, ::testing::ValuesIn(kReads));

struct WriteCase {
    std::string before;
    const char* section;
    const char* key;
    std::string value;
    std::string after;
};

const WriteCase kWrites[] = {
    // In place, keeping the key's spelling, the line ends and everything else.
    {"; Quadrel\r\n\r\n[Port Settings]\r\n  port = 1   "
     "\r\nSettings=19200,N,8,1\r\n\r\n[Unknown]\r\nzz=top\r\n",
     "PORT SETTINGS", "Port", "3",
     "; Quadrel\r\n\r\n[Port Settings]\r\n  "
     "port=3\r\nSettings=19200,N,8,1\r\n\r\n[Unknown]\r\nzz=top\r\n"},
    {"[S]\nk=1", "S", "k", "2", "[S]\nk=2"},
    {"[S]\nk=2", "S", "n", "3", "[S]\nk=2\nn=3"},
    {"[S]\nk=2\nn=3", "T", "x", "y", "[S]\nk=2\nn=3\n\n[T]\nx=y"},
    // A new key follows the last key of the first section of that name.
    {"[A]\na=1\nnot a key\n\n; about B\n[B]\nb=1\n[a]\nlate=1\n", "a", "New", "2",
     "[A]\na=1\nNew=2\nnot a key\n\n; about B\n[B]\nb=1\n[a]\nlate=1\n"},
    {"[E]\n; nothing yet\n\n[F]\n", "E", "k", "v", "[E]\nk=v\n; nothing yet\n\n[F]\n"},
    // A new section goes at the end after one blank line.
    {"[A]\r\na=1\r\n", "B", "k", "v", "[A]\r\na=1\r\n\r\n[B]\r\nk=v\r\n"},
    {"[A]\na=1\n\n", "B", "k", "v", "[A]\na=1\n\n[B]\nk=v\n"},
    // Values that would not read back as they are get quotes.
    {"[S]\nk=1\n", "S", "k", " padded ", "[S]\nk=\" padded \"\n"},
    {"[S]\nk=1\n", "S", "k", "\"quoted\"", "[S]\nk=\"\"quoted\"\"\n"},
    {"[S]\nk=1\n", "S", "k", "", "[S]\nk=\n"},
    {kGarbage, "S", "n", "1", kGarbage + "n=1\n"},
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.section << '/' << c.key << '=' << c.value;
}

struct Writing : SettingsFileTest, ::testing::WithParamInterface<WriteCase> {};

TEST_P(Writing, ChangesOnlyTheKey) {
    const WriteCase& c = GetParam();
    writeFile(file, c.before);
    EXPECT_TRUE(settings.write(c.section, c.key, c.value));
    EXPECT_EQ(readFile(file), c.after);
    EXPECT_EQ(read(c.section, c.key), c.value);
    EXPECT_EQ(files(), 1);
    EXPECT_TRUE(errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, Writing, ::testing::ValuesIn(kWrites));

TEST_F(SettingsFileTest, FirstWriteCreatesTheFileAndItsFolder) {
    SettingsFile deeper(dir / "config" / "Quadrel.ini");
    EXPECT_TRUE(deeper.write("Transmitter", "TX Mode", "2"));
    EXPECT_EQ(readFile(deeper.path()), "[Transmitter]\nTX Mode=2\n");
}

TEST_F(SettingsFileTest, NamesOrValuesThatWouldBreakTheFileAreRefused) {
    writeFile(file, "[S]\nk=1\n");
    EXPECT_FALSE(settings.write("S", "k", "2\n[Evil]"));
    EXPECT_FALSE(settings.write("S", "a=b", "1"));
    EXPECT_FALSE(settings.write("S]x", "k", "1"));
    EXPECT_FALSE(settings.write("S", "  ", "1"));
    EXPECT_EQ(readFile(file), "[S]\nk=1\n");
    ASSERT_EQ(errors.size(), 4u);
    EXPECT_NE(errors[0].find(file.string()), std::string::npos);
}

TEST_F(SettingsFileTest, HugeFileIsReadOnlyInItsFirstMebibyteAndNeverRewritten) {
    std::string big = "[S]\nk=1\n";
    big.resize((1u << 20) - 10, ';');
    big += "\ncut=0123456789abcdef\n" + std::string(2u << 20, ';') + "\n[Late]\nk=2\n";
    writeFile(file, big);
    EXPECT_EQ(read("S", "k"), "1");
    EXPECT_EQ(read("S", "cut"), "?");
    EXPECT_EQ(read("Late", "k"), "?");
    EXPECT_FALSE(settings.write("S", "k", "5"));
    EXPECT_TRUE(readFile(file) == big);
}

TEST_F(SettingsFileTest, AFolderWhereTheFileShouldBe) {
    fs::create_directories(file / "inside");
    EXPECT_EQ(read("S", "k"), "?");
    EXPECT_FALSE(settings.write("S", "k", "1"));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0], "cannot read settings from " + file.string() + ": Is a directory");
    EXPECT_EQ(errors[1], "cannot save settings to " + file.string() + ": Is a directory");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(SettingsFile(file).write("S", "k", "1"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Quadrel: " + errors[1] + "\n");
}

// A changed value replaces the file (a new inode, the old one never half
// written); an unchanged one leaves it alone.
TEST_F(SettingsFileTest, WriteReplacesTheFileWholeOrLeavesIt) {
    writeFile(file, "[S]\n  K = \"1\"  \n");
    struct stat before {
    }, after{};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);
    EXPECT_TRUE(settings.write("s", "k", "1"));
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    EXPECT_TRUE(settings.write("S", "k", "2"));
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);

    // A full disk, which root cannot be kept from otherwise: files may not
    // grow past 64 bytes.
    const std::string old = "[S]\nk=1\n" + std::string(200, ';') + "\n";
    writeFile(file, old);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit limited{64, saved.rlim_max};
    const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const bool written = settings.write("S", "k", "3");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldSignal);
    EXPECT_FALSE(written);
    EXPECT_EQ(readFile(file), old);
    EXPECT_EQ(files(), 1);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("File too large"), std::string::npos) << errors[0];
}

TEST_F(SettingsFileTest, ReplacingKeepsPermissionsAndLinks) {
    writeFile(file, "[S]\nk=1\n");
    fs::permissions(file, static_cast<fs::perms>(0640));
    EXPECT_TRUE(settings.write("S", "k", "2"));
    EXPECT_EQ(fs::status(file).permissions(), static_cast<fs::perms>(0640));

    fs::create_directory(dir / "dotfiles");
    fs::rename(file, dir / "dotfiles" / "Quadrel.ini");
    fs::create_symlink(dir / "dotfiles" / "Quadrel.ini", file);
    EXPECT_TRUE(settings.write("S", "k", "3"));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(readFile(dir / "dotfiles" / "Quadrel.ini"), "[S]\nk=3\n");

    // Also while the file it points at does not exist yet; a link into a
    // folder that does not exist is refused.
    fs::remove(dir / "dotfiles" / "Quadrel.ini");
    EXPECT_TRUE(settings.write({{"S", "a", "1"}, {"S", "b", "2"}}));
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(readFile(dir / "dotfiles" / "Quadrel.ini"), "[S]\na=1\nb=2\n");
    fs::remove_all(dir / "dotfiles");
    EXPECT_FALSE(settings.write("S", "a", "3"));
    EXPECT_TRUE(fs::is_symlink(file));
    ASSERT_FALSE(errors.empty());
    EXPECT_NE(errors.back().find("which does not exist"), std::string::npos) << errors.back();
}

// The number a stored text begins with; "Port" and the reverse keys use
// only the first character.
TEST(NumericValue, LeadingNumberCounts) {
    const std::pair<std::string, double> table[] = {
        {"12", 12}, {"1x", 1},    {"  -2.5kg", -2.5}, {"+3", 3}, {".5", 0.5},
        {"5.", 5},  {"1.5", 1.5}, {"9600,N", 9600},   {"", 0},   {"abc", 0},
        {"-", 0},   {".", 0},     {" ", 0},           {"N", 0},  {std::string(400, '9'), 0}};
    for (const auto& [text, value] : table)
        EXPECT_EQ(numericValue(text), value) << '"' << text << '"';
    EXPECT_EQ(numericValueOfFirstCharacter("12"), 1);
    const std::pair<double, const char*> written[] = {
        {19200, "19200"}, {1.5, "1.5"}, {0, "0"},
        {-0.0, "0"},      {-3, "-3"},   {1e20, "100000000000000000000"}};
    for (const auto& [value, text] : written) EXPECT_EQ(plainNumber(value), text) << value;
}

}  // namespace
}  // namespace quadrel::testing
