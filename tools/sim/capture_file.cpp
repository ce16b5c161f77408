#include "capture_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "number_text.h"
#include "settings/plain_text.h"

namespace quadrel::sim {

namespace {

// "22.512" -> 22512 microseconds; at most three decimals, never negative.
std::optional<std::int64_t> readMillis(std::string_view text) {
    const auto dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || fraction.size() > 3 || (dot != std::string_view::npos && fraction.empty()))
        return std::nullopt;
    const auto digits = [](std::string_view t) {
        return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (!digits(whole) || !digits(fraction)) return std::nullopt;
    const auto ms = parseWhole(whole);
    if (!ms || *ms > 1'000'000'000'000) return std::nullopt;
    std::int64_t us = *ms * 1000;
    for (std::size_t i = 0, scale = 100; i < 3; ++i, scale /= 10)
        if (i < fraction.size()) us += (fraction[i] - '0') * static_cast<std::int64_t>(scale);
    return us;
}

std::string formatMillis(std::int64_t us) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%03lld", static_cast<long long>(us / 1000),
                  static_cast<long long>(us % 1000));
    return text;
}

}  // namespace

void Capture::add(std::int64_t atUs, std::span<const std::uint8_t> batchBytes) {
    batches.push_back({atUs, bytes.size(), batchBytes.size()});
    bytes.insert(bytes.end(), batchBytes.begin(), batchBytes.end());
}

std::string printable(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // Whole UTF-8 sequences stay; anything else unusual is escaped.
        int length = c < 0x80             ? 1
                     : (c & 0xE0) == 0xC0 ? 2
                     : (c & 0xF0) == 0xE0 ? 3
                     : (c & 0xF8) == 0xF0 ? 4
                                          : 0;
        bool whole = length > 1 && i + static_cast<std::size_t>(length) <= text.size();
        for (int k = 1; whole && k < length; ++k)
            whole =
                (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0xC0) == 0x80;
        if (whole) {
            out.append(text.substr(i, static_cast<std::size_t>(length)));
            i += static_cast<std::size_t>(length) - 1;
        } else if (c < 0x20 || c == 0x7F || c >= 0x80) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

ReplayFile readReplayFile(const std::string& path) {
    ReplayFile file;
    const std::string name = printable(path);
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (ec) {
        file.error = "cannot read " + name + ": " + ec.message();
        return file;
    }
    // A folder, a device such as /dev/zero, a pipe: nothing to replay.
    if (status.type() != std::filesystem::file_type::regular) {
        file.error = name + " is not a regular file";
        return file;
    }
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec && size > kMaxReplayBytes) {
        file.error = name + " is larger than 256 MiB";
        return file;
    }
    if (!ec && size == 0) {
        file.error = name + " is empty: nothing to replay";
        return file;
    }
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) {
        file.error = "cannot read " + name + ": " + std::strerror(errno);
        return file;
    }
    file.bytes.resize(static_cast<std::size_t>(size));
    const std::size_t got = std::fread(file.bytes.data(), 1, file.bytes.size(), in);
    const bool failed = std::ferror(in) || got != file.bytes.size();
    std::fclose(in);
    if (failed) {
        file.bytes.clear();
        file.error = "cannot read " + name;
    }
    return file;
}

std::int64_t Capture::lengthUs() const {
    return endUs ? *endUs : batches.empty() ? 0 : batches.back().atUs;
}

bool isCapture(std::span<const std::uint8_t> fileStart) {
    return fileStart.size() >= kCaptureMagic.size() &&
           std::equal(kCaptureMagic.begin(), kCaptureMagic.end(), fileStart.begin());
}

CaptureRead readCapture(std::string_view text) {
    CaptureRead result;
    Capture capture;
    int number = 0;
    const auto fail = [&](const std::string& why) {
        result.error = "line " + std::to_string(number) + ": " + why;
        return result;
    };
    for (std::string_view rest = text; !rest.empty();) {
        const auto newline = rest.find('\n');
        const std::string_view line = trimmed(rest.substr(0, newline));
        rest = newline == std::string_view::npos ? "" : rest.substr(newline + 1);
        if (++number == 1) {
            if (line != kCaptureMagic)
                return fail("not a capture (it must start with \"" + std::string(kCaptureMagic) +
                            "\")");
            continue;
        }
        if (line.starts_with("# settings ")) {
            capture.line = parseLineSettings(trimmed(line.substr(11)));
            if (!capture.line) return fail("settings are not BAUD,PARITY,DATA,STOP");
        } else if (line.starts_with("# end ")) {
            capture.endUs = readMillis(trimmed(line.substr(6)));
            if (!capture.endUs) return fail("the end is not milliseconds like 5000.000");
        } else if (!line.empty() && !line.starts_with('#')) {
            const auto fields = splitFields(line, ' ');
            const auto at = readMillis(fields[0]);
            if (!at) return fail("the time is not milliseconds like 22.512");
            if (!capture.batches.empty() && *at < capture.batches.back().atUs)
                return fail("the time goes back");
            CaptureBatch batch{*at, capture.bytes.size(), 0};
            for (std::size_t i = 1; i < fields.size(); ++i) {
                unsigned value = 0;
                const std::string_view f = fields[i];
                const auto [end, ec] = std::from_chars(f.data(), f.data() + f.size(), value, 16);
                if (f.size() != 2 || ec != std::errc{} || end != f.data() + f.size())
                    return fail("'" + printable(f.substr(0, 40)) +
                                "' is not a byte in two hex digits");
                capture.bytes.push_back(static_cast<std::uint8_t>(value));
            }
            batch.size = capture.bytes.size() - batch.offset;
            capture.batches.push_back(batch);
        }
    }
    if (number == 0) return fail("the file is empty");
    result.capture = std::move(capture);
    return result;
}

std::string captureHeader(const LineSettings& line) {
    return std::string(kCaptureMagic) + "\n# settings " + formatLineSettings(line) + "\n";
}

std::string captureBatchLine(std::int64_t atUs, std::span<const std::uint8_t> bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out = formatMillis(atUs);
    out.reserve(out.size() + bytes.size() * 3 + 1);
    for (std::uint8_t b : bytes) {
        out += ' ';
        out += kDigits[b >> 4];
        out += kDigits[b & 15];
    }
    return out + "\n";
}

std::string captureEndLine(std::int64_t atUs) {
    return "# end " + formatMillis(atUs) + "\n";
}

}  // namespace quadrel::sim
