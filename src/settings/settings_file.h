// "Quadrel.ini": a small INI file read and written one key at a time, with
// the rules a hand-edited profile file is read by (see settings_file.cpp).
#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quadrel {

inline constexpr char kPortSection[] = "Port Settings";
inline constexpr char kReverseSection[] = "Reverse Settings";
inline constexpr char kTransmitterSection[] = "Transmitter";

class SettingsFile {
public:
    // Where a file that cannot be read or saved is reported, with the file
    // and the reason; by default one line on stderr.
    using ErrorSink = std::function<void(const std::string& message)>;

    struct Entry {
        std::string_view section, key, value;
    };

    explicit SettingsFile(std::filesystem::path path, ErrorSink onError = {});

    const std::filesystem::path& path() const { return path_; }

    // The stored value, cut to 254 characters, or `defaultValue` when the
    // file, the section or the key does not exist.
    std::string read(std::string_view section, std::string_view key,
                     std::string_view defaultValue) const;

    // Leaves the key holding exactly `value`, creating the key, section or
    // file as needed; every other line stays byte for byte. The file is
    // replaced atomically. False (and the old file untouched) on failure.
    bool write(std::string_view section, std::string_view key, std::string_view value);
    // Several keys, in this order, in one replacement of the file: all of
    // them or none. An entry that cannot be stored is reported and left out.
    bool write(std::initializer_list<Entry> entries);

    // Removes temporary copies a killed writer left beside the file (never
    // one another running Quadrel is writing); the count removed.
    int removeLeftovers() const;

private:
    std::filesystem::path path_;
    ErrorSink onError_;
};

// The per-user settings file: $XDG_CONFIG_HOME/Quadrel.ini, by default
// ~/.config/Quadrel.ini.
std::filesystem::path defaultSettingsPath();

}  // namespace quadrel
