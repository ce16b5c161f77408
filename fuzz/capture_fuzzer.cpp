// The capture reader on any text: it refuses with a line number or gives a
// capture that, written out as the probe records one, reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "capture_file.h"
#include "check.h"

using namespace quadrel;
using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const sim::CaptureRead read = sim::readCapture(text);
    if (!read.capture) {
        check(read.error.starts_with("line "), "a refusal names no line");
        for (char c : read.error)
            check(static_cast<unsigned char>(c) >= 0x20, "a raw control character in a message");
        return 0;
    }
    const sim::Capture& c = *read.capture;
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < c.batches.size(); ++i) {
        check(c.batches[i].offset == bytes, "batches do not follow each other in the buffer");
        bytes += c.batches[i].size;
        check(i == 0 || c.batches[i].atUs >= c.batches[i - 1].atUs, "time goes back");
    }
    check(bytes == c.bytes.size(), "the buffer holds bytes of no batch");

    std::string written = std::string(sim::kCaptureMagic) + "\n";
    if (c.line) written = sim::captureHeader(*c.line);
    for (const sim::CaptureBatch& b : c.batches)
        written += sim::captureBatchLine(b.atUs, c.bytesOf(b));
    if (c.endUs) written += sim::captureEndLine(*c.endUs);
    const sim::CaptureRead again = sim::readCapture(written);
    check(again.capture.has_value(), "a capture written out does not read back");
    check(again.capture->bytes == c.bytes && again.capture->line == c.line &&
              again.capture->endUs == c.endUs && again.capture->batches.size() == c.batches.size(),
          "a capture written out reads back otherwise");
    return 0;
}
