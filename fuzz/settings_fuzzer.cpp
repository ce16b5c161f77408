// The settings file's reader and writer on any file and any keys: a value
// written reads back exactly (up to 254 characters), every other key reads
// as before, and a refused write leaves the file as it was, byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check.h"
#include "settings/settings_file.h"
#include "temp_dir.h"

using namespace quadrel;
using fuzz::check;

namespace {

std::string trim(std::string s) {
    const char* blanks = " \t\r\v\f";
    s.erase(0, std::min(s.size(), s.find_first_not_of(blanks)));
    s.erase(s.find_last_not_of(blanks) + 1);
    return s;
}

// Section and key names match without regard to case or surrounding blanks.
std::string identity(const std::string& section, const std::string& key) {
    std::string id = trim(section) + '\n' + trim(key);
    std::transform(id.begin(), id.end(), id.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return id;
}

struct Entry {
    std::string section, key, value;
};

}  // namespace

// Input: the file, then after a zero byte, lines of "section\tkey\tvalue".
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const testing::TempDir dir;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\0');
    testing::writeFile(dir / "Quadrel.ini", input.substr(0, split));
    SettingsFile settings(dir / "Quadrel.ini", [](const std::string&) {});

    std::vector<Entry> writes;
    const std::string rest = split == std::string::npos ? std::string() : input.substr(split + 1);
    for (std::size_t at = 0; at < rest.size() && writes.size() < 8;) {
        const std::size_t end = std::min(rest.find('\n', at), rest.size());
        const std::string line = rest.substr(at, end - at);
        const std::size_t a = line.find('\t'),
                          b = a == std::string::npos ? a : line.find('\t', a + 1);
        if (b != std::string::npos)
            writes.push_back(
                {line.substr(0, a), line.substr(a + 1, b - a - 1), line.substr(b + 1)});
        at = end + 1;
    }
    // The program's own keys and the ones being written serve as witnesses.
    std::vector<Entry> keys = {{"Port Settings", "Port", ""},
                               {"Reverse Settings", "Channel1", ""},
                               {"Transmitter", "TX Type", ""}};
    keys.insert(keys.end(), writes.begin(), writes.end());

    for (const Entry& w : writes) {
        std::vector<std::string> before;
        for (const Entry& k : keys) before.push_back(settings.read(k.section, k.key, "\x01"));
        const std::string fileBefore = testing::readFile(dir / "Quadrel.ini");
        if (!settings.write(w.section, w.key, w.value)) {
            check(testing::readFile(dir / "Quadrel.ini") == fileBefore,
                  "a refused write changed the file");
            continue;
        }
        if (trim(w.section).empty()) continue;  // keys before any section belong to none
        check(settings.read(w.section, w.key, "\x01") == w.value.substr(0, 254),
              "a written value does not read back");
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (identity(keys[i].section, keys[i].key) != identity(w.section, w.key))
                check(settings.read(keys[i].section, keys[i].key, "\x01") == before[i],
                      "another key changed");
    }
    return 0;
}
