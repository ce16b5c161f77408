// How a hand-edited Quadrel.ini is read, the way the Windows profile-string
// functions read it:
// - "[name]" opens a section; text after the "]" does not count. Keys before
//   the first section belong to none.
// - "key=value": section and key names match without regard to (ASCII) case;
//   blanks around names, around "=" and at the line end do not count.
// - A value wholly in matching '...' or "..." reads without them; a ";" inside
//   a value belongs to it; a value reads cut to 254 characters.
// - Lines starting with ";" are comments; a line without "=" is no key.
// - Only the first section of a name counts, and in it the first key of a
//   name; later duplicates are kept as they are but never read or written.
// Texts are bytes: no encoding is assumed or converted.
#include "settings/settings_file.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <optional>

#include "settings/atomic_file.h"
#include "settings/plain_text.h"

#include <pwd.h>
#include <unistd.h>

namespace quadrel {

namespace fs = std::filesystem;
using Status = atomic_file::Loaded::Status;

namespace {

constexpr std::size_t kMaxValueLength = 254;  // what a 255-byte read buffer holds
// A settings file is a few hundred bytes: past this it is not ours to parse.
constexpr std::size_t kMaxFileSize = std::size_t{1} << 20;
constexpr auto npos = std::string_view::npos;

constexpr std::string_view kNewFileLineEnd = "\n";

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Quotes carry blanks at the ends, or the value's own enclosing quotes,
// through the next read.
std::string encoded(std::string_view value) {
    if (value.empty() || (!isBlank(value.front()) && !isBlank(value.back()) &&
                          unquote(value).size() == value.size()))
        return std::string(value);
    return "\"" + std::string(value) + "\"";
}

// Offsets into the file: [begin, bodyEnd) is the text, [bodyEnd, end) the
// line end ("\n", "\r\n", or nothing on a last line without one).
struct Line {
    std::size_t begin = 0, bodyEnd = 0, end = 0;
};

enum class Kind { Other, Section, Key };

struct Entry {
    Kind kind = Kind::Other;
    std::string_view name;   // trimmed
    std::string_view value;  // trimmed, quotes still on
};

Entry classify(std::string_view body) {
    const std::string_view t = trimmed(body);
    if (t.empty() || t.front() == ';') return {};
    if (t.front() == '[') {
        const std::size_t close = t.find(']');
        if (close == npos) return {};
        return {Kind::Section, trimmed(t.substr(1, close - 1)), {}};
    }
    const std::size_t eq = t.find('=');
    if (eq == npos) return {};
    return {Kind::Key, trimmed(t.substr(0, eq)), trimmed(t.substr(eq + 1))};
}

struct Location {
    bool sectionFound = false;
    bool keyFound = false;
    Entry key;      // the key's entry, when found
    Line keyLine;   // its line
    Line lastLine;  // the section's header or last key line: new keys go after it
};

Location locate(std::string_view text, std::string_view section, std::string_view key) {
    Location loc;
    std::size_t pos = 0;
    while (pos < text.size()) {
        Line line{pos, text.size(), text.size()};
        if (const std::size_t nl = text.find('\n', pos); nl != npos) {
            line.end = nl + 1;
            line.bodyEnd = nl > pos && text[nl - 1] == '\r' ? nl - 1 : nl;
        }
        pos = line.end;
        const Entry e = classify(text.substr(line.begin, line.bodyEnd - line.begin));
        if (e.kind == Kind::Section) {
            if (loc.sectionFound) break;
            if (sameName(e.name, section)) {
                loc.sectionFound = true;
                loc.lastLine = line;
            }
        } else if (e.kind == Kind::Key && loc.sectionFound) {
            loc.lastLine = line;
            if (sameName(e.name, key)) {
                loc.keyFound = true;
                loc.key = e;
                loc.keyLine = line;
                break;
            }
        }
    }
    return loc;
}

// New lines follow the file's first line end.
std::string_view lineEndOf(std::string_view text) {
    const std::size_t nl = text.find('\n');
    if (nl == npos) return kNewFileLineEnd;
    return nl > 0 && text[nl - 1] == '\r' ? "\r\n" : "\n";
}

bool endsWithBlankLine(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    const std::size_t nl = text.rfind('\n');
    return trimmed(nl == npos ? text : text.substr(nl + 1)).empty();
}

// The file's text with the key set; nothing when the key already holds the
// value. `section` and `key` come trimmed.
std::optional<std::string> withValue(std::string_view text, std::string_view section,
                                     std::string_view key, std::string_view value) {
    const Location loc = locate(text, section, key);
    const std::string keyLine =
        std::string(loc.keyFound ? loc.key.name : key) + "=" + encoded(value);
    std::string out;
    if (loc.keyFound) {
        if (unquote(loc.key.value) == value) return std::nullopt;
        // The line keeps its indentation and line end.
        out = text.substr(0, static_cast<std::size_t>(loc.key.name.data() - text.data()));
        out += keyLine;
        out += text.substr(loc.keyLine.bodyEnd);
        return out;
    }
    const std::string_view eol = lineEndOf(text);
    if (loc.sectionFound) {
        const Line& after = loc.lastLine;
        out = text.substr(0, after.end);
        if (after.bodyEnd != after.end) {
            out += keyLine;
            out += eol;
        } else {  // the file keeps ending without a line end
            out += eol;
            out += keyLine;
        }
        out += text.substr(after.end);
        return out;
    }
    const bool endsWithLineEnd = text.empty() || text.back() == '\n';
    out = text;
    if (!endsWithLineEnd) out += eol;
    if (!text.empty() && !endsWithBlankLine(text)) out += eol;
    out += "[";
    out += section;
    out += "]";
    out += eol;
    out += keyLine;
    if (endsWithLineEnd) out += eol;
    return out;
}

// Why the names or the value could not be read back as written; empty if
// they can.
std::string unstorable(std::string_view section, std::string_view key, std::string_view value) {
    const auto holds = [](std::string_view s, const char* chars) {
        return s.find_first_of(chars) != npos;
    };
    if (holds(section, "\r\n]")) return "a section name cannot hold a line break or \"]\"";
    const std::string_view k = trimmed(key);
    if (k.empty() || k.front() == ';' || k.front() == '[' || holds(key, "\r\n="))
        return "a key name must not be empty, start with \";\" or \"[\", or hold \"=\" or a "
               "line break";
    if (holds(value, "\r\n")) return "a value cannot hold a line break";
    return {};
}

bool fail(const SettingsFile::ErrorSink& sink, const fs::path& path, std::string_view reason,
          const char* doing = "save settings to") noexcept {
    try {
        sink(std::string("cannot ") + doing + " " + path.string() + ": " + std::string(reason));
    } catch (...) {
        // Nothing more can be done for the user's settings.
    }
    return false;
}

}  // namespace

SettingsFile::SettingsFile(fs::path path, ErrorSink onError)
    : path_(std::move(path)), onError_(std::move(onError)) {
    if (!onError_)
        onError_ = [](const std::string& message) { std::cerr << "Quadrel: " << message << '\n'; };
}

int SettingsFile::removeLeftovers() const {
    try {
        return atomic_file::removeStaleTemporaries(path_);
    } catch (...) {
        return 0;
    }
}

std::string SettingsFile::read(std::string_view section, std::string_view key,
                               std::string_view defaultValue) const {
    try {
        const atomic_file::Loaded loaded = atomic_file::load(path_, kMaxFileSize);
        if (loaded.status == Status::Failed)
            fail(onError_, path_, loaded.error, "read settings from");
        if (loaded.status != Status::Ok) return std::string(defaultValue);
        std::string_view text = loaded.text;
        if (loaded.cut) text = text.substr(0, text.rfind('\n') + 1);  // no half line
        const Location loc = locate(text, trimmed(section), trimmed(key));
        if (!loc.keyFound) return std::string(defaultValue);
        return std::string(unquote(loc.key.value).substr(0, kMaxValueLength));
    } catch (...) {
        return std::string(defaultValue);
    }
}

bool SettingsFile::write(std::string_view section, std::string_view key, std::string_view value) {
    return write({Entry{section, key, value}});
}

bool SettingsFile::write(std::initializer_list<Entry> entries) {
    try {
        const atomic_file::Loaded loaded = atomic_file::load(path_, kMaxFileSize);
        if (loaded.status == Status::Failed) return fail(onError_, path_, loaded.error);
        // Rewriting only the part we read would lose the rest.
        if (loaded.cut) return fail(onError_, path_, "the file is larger than 1 MiB");
        std::string text = loaded.text;
        bool changed = false, stored = true;
        for (const Entry& e : entries) {
            if (const std::string why = unstorable(e.section, e.key, e.value); !why.empty()) {
                stored = fail(onError_, path_, why);
                continue;
            }
            if (auto next = withValue(text, trimmed(e.section), trimmed(e.key), e.value)) {
                text = std::move(*next);
                changed = true;
            }
        }
        if (!changed) return stored;
        // The reader stops at 1 MiB: a longer file would lose these values.
        if (text.size() > kMaxFileSize)
            return fail(onError_, path_,
                        "the file would grow past 1 MiB, which Quadrel does not read");
        const std::string error = atomic_file::replace(path_, text);
        return (error.empty() || fail(onError_, path_, error)) && stored;
    } catch (const std::exception& e) {
        return fail(onError_, path_, e.what());
    } catch (...) {
        return fail(onError_, path_, "unexpected error");
    }
}

fs::path defaultSettingsPath() {
    constexpr const char* kName = "Quadrel.ini";
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME");
        xdg && *xdg && fs::path(xdg).is_absolute())
        return fs::path(xdg) / kName;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || !*home) return fs::path(kName);
    return fs::path(home) / ".config" / kName;
}

}  // namespace quadrel
