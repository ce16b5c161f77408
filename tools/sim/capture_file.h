// A capture: the bytes a port received, batch by batch, with the time each
// batch arrived. quadrel-probe --record writes it, quadrel-sim --replay and
// quadrel-probe --replay play it back with the same timing. A text file:
//
//   # quadrel capture 1
//   # settings 19200,N,8,1
//   0.000 ff 78 82 8c 96 a0 aa b4 be
//   22.512 ff 79 82 8c 96 a0 aa b4 be
//   # end 5000.000
//
// The first line names the format. Then one line per batch: milliseconds
// since the recording started, with three decimals, and the bytes as
// two-digit hexadecimal numbers separated by spaces. "# settings" gives the
// port's line settings, "# end" how long the recording ran (it may have
// ended in silence); both are optional. Other lines starting with "#" and
// blank lines are comments.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "line_pace.h"

namespace quadrel::sim {

inline constexpr std::string_view kCaptureMagic = "# quadrel capture 1";

// A batch: its time and where its bytes stand in the capture's buffer.
struct CaptureBatch {
    std::int64_t atUs = 0;  // since the recording started
    std::size_t offset = 0, size = 0;
};

struct Capture {
    std::optional<LineSettings> line;
    std::vector<std::uint8_t> bytes;  // every batch's, one after another
    std::vector<CaptureBatch> batches;
    std::optional<std::int64_t> endUs;

    void add(std::int64_t atUs, std::span<const std::uint8_t> batchBytes);
    std::span<const std::uint8_t> bytesOf(const CaptureBatch& batch) const {
        return std::span(bytes).subspan(batch.offset, batch.size);
    }
    // The end of the recording: its "# end", else its last batch.
    std::int64_t lengthUs() const;
};

// The most a file to replay may hold.
inline constexpr std::size_t kMaxReplayBytes = 256u << 20;

// A file to replay: a regular file, neither empty nor larger than
// kMaxReplayBytes; its bytes, or why not (the path made printable).
struct ReplayFile {
    std::vector<std::uint8_t> bytes;
    std::string error;
};
ReplayFile readReplayFile(const std::string& path);

// `text` with control characters, and bytes that are not UTF-8 text, as
// \xNN: what a message quotes of a file or a command line can retitle a
// terminal otherwise.
std::string printable(std::string_view text);

// A file that starts with the format's first line is a capture; any other
// is taken for raw bytes.
bool isCapture(std::span<const std::uint8_t> fileStart);

struct CaptureRead {
    std::optional<Capture> capture;
    std::string error;  // "line 4: ...", when there is no capture
};
CaptureRead readCapture(std::string_view text);

std::string captureHeader(const LineSettings& line);
std::string captureBatchLine(std::int64_t atUs, std::span<const std::uint8_t> bytes);
std::string captureEndLine(std::int64_t atUs);

}  // namespace quadrel::sim
