#include "settings/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quadrel::atomic_file {

namespace fs = std::filesystem;

namespace {

std::string errnoText(int err) {
    return std::generic_category().message(err);
}

// ".Quadrel.ini.k3f9x0qa": hidden on POSIX, unique enough that the exclusive
// create below rarely has to try again.
std::string tempName(const fs::path& target) {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x = counter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
    x ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    x ^= reinterpret_cast<std::uintptr_t>(&counter);  // differs between processes (ASLR)
    x ^= x >> 31;
    x *= 0xBF58476D1CE4E5B9ull;
    x ^= x >> 29;
    std::string name(1, '.');
    name += target.filename().string();
    name += '.';
    for (int i = 0; i < 8; ++i, x /= 36) name += "0123456789abcdefghijklmnopqrstuvwxyz"[x % 36];
    return name;
}

int writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

// Makes the rename itself durable. Some file systems cannot sync a folder;
// the new file is in place either way, so a failure here is not reported.
void syncFolder(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

std::string replaceIn(const fs::path& dir, const fs::path& target, std::string_view content) {
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && S_ISDIR(old.st_mode)) return errnoText(EISDIR);
    // rename() would happily replace a file the user marked read-only.
    if (exists && ::access(target.c_str(), W_OK) != 0) return errnoText(errno);

    fs::path temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = dir / tempName(target);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return errnoText(errno);
    }
    if (fd < 0) return errnoText(EEXIST);

    // Held while the temporary exists, so a start-up's clean-up of stale
    // temporaries never takes one that is being written.
    ::flock(fd, LOCK_EX);
    // Keep the user's permission bits; failing that, the umask's are fine.
    if (exists && ::fchmod(fd, old.st_mode & 07777) != 0) errno = 0;
    int err = writeAll(fd, content);
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return errnoText(err);
    }
    syncFolder(dir);
    return {};
}

}  // namespace

Loaded load(const fs::path& path, std::size_t cap) {
    Loaded result;
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) return result;
    result.status = Loaded::Status::Failed;
    if (ec) {
        result.error = ec.message();
        return result;
    }
    // Checked before opening: opening a FIFO for reading would block.
    if (st.type() != fs::file_type::regular) {
        result.error = fs::is_directory(st) ? errnoText(EISDIR) : "not a regular file";
        return result;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = errno != 0 ? errnoText(errno) : "cannot open the file";
        return result;
    }
    // Read in pieces: a settings file is a few hundred bytes, and a buffer
    // of `cap` bytes would be filled with zeros for every key read.
    char piece[4096];
    while (result.text.size() <= cap && in.read(piece, sizeof piece).gcount() > 0)
        result.text.append(piece, static_cast<std::size_t>(in.gcount()));
    if (in.bad()) {
        result.error = "cannot read the file";
        result.text.clear();
        return result;
    }
    result.cut = result.text.size() > cap;
    if (result.cut) result.text.resize(cap);
    result.status = Loaded::Status::Ok;
    return result;
}

bool isTemporaryOf(const fs::path& target, const std::string& name) {
    std::string prefix(1, '.');
    prefix += target.filename().string();
    prefix += '.';
    if (name.size() != prefix.size() + 8 || name.compare(0, prefix.size(), prefix) != 0)
        return false;
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z'); });
}

int removeStaleTemporaries(const fs::path& path) {
    std::error_code ec;
    const fs::path dir = path.has_parent_path() ? path.parent_path() : fs::path(".");
    int removed = 0;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        const fs::path temp = entry.path();
        if (!isTemporaryOf(path, temp.filename().string()) || !entry.is_regular_file(ec)) continue;
        const int fd = ::open(temp.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) continue;
        // A writer holds its temporary locked from creation to rename; one we
        // can lock is left over by a writer that was killed.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(temp.c_str()) == 0) ++removed;
        ::close(fd);
    }
    return removed;
}

std::string replace(const fs::path& path, std::string_view content) {
    std::error_code ec;
    // A settings file kept as a link (say, among other dotfiles) stays a
    // link: the file it points at is written, created if it does not exist
    // yet, so long as its folder does.
    fs::path target = path;
    for (int hops = 0; fs::is_symlink(target, ec); ++hops) {
        if (hops == 40) return errnoText(ELOOP);
        fs::path next = fs::read_symlink(target, ec);
        if (ec) return ec.message();
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (target != path) {
        if (!fs::is_directory(dir, ec))
            return "it is a link into " + dir.string() + ", which does not exist";
    } else {
        fs::create_directories(dir, ec);
        if (ec) return ec.message();
    }
    return replaceIn(dir, target, content);
}

}  // namespace quadrel::atomic_file
