// Loading and atomically replacing the settings file; used by SettingsFile
// only. Neither function throws anything but std::bad_alloc.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace quadrel::atomic_file {

struct Loaded {
    enum class Status { Ok, Missing, Failed };
    Status status = Status::Missing;
    std::string text;   // at most `cap` bytes
    bool cut = false;   // the file holds more than `cap` bytes
    std::string error;  // why, when Failed
};

// Reads at most `cap` bytes of the regular file at `path`; "missing" also
// covers a path whose folder does not exist.
Loaded load(const std::filesystem::path& path, std::size_t cap);

// Replaces (or creates) the file at `path` with `content` through a temporary
// file in the same folder: afterwards the file is either wholly old or wholly
// new. Creates the folder if needed. Returns the reason of a failure, empty
// on success; on failure the old file is untouched and no temporary is left.
std::string replace(const std::filesystem::path& path, std::string_view content);

// Whether `name` is one of replace()'s temporaries for `target`:
// ".Quadrel.ini." and eight of 0-9 and a-z.
bool isTemporaryOf(const std::filesystem::path& target, const std::string& name);

// Removes the temporaries of `path` that a killed writer left behind, and
// none that a living writer is still writing. The count removed.
int removeStaleTemporaries(const std::filesystem::path& path);

}  // namespace quadrel::atomic_file
