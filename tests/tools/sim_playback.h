// quadrel-sim's schedule played into the main window: every chunk arrives
// at its time on the virtual clock, one receive event per byte, so tests see
// what a user would see on screen without waiting for real time.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "main_form_harness.h"
#include "stream_generator.h"

namespace quadrel::testing {

namespace sim = quadrel::sim;

inline std::vector<sim::Chunk> schedule(const sim::StreamSettings& settings) {
    sim::StreamGenerator generator(settings);
    std::vector<sim::Chunk> chunks;
    while (auto chunk = generator.next()) chunks.push_back(std::move(*chunk));
    return chunks;
}

inline std::vector<std::uint8_t> allBytes(const std::vector<sim::Chunk>& chunks) {
    std::vector<std::uint8_t> out;
    for (const auto& c : chunks) out.insert(out.end(), c.bytes.begin(), c.bytes.end());
    return out;
}

inline std::int64_t millis(sim::Nanos t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t).count();
}

// What In1 to In8 should show for a frame: its channels, then "-".
inline std::vector<std::string> expectedCaptions(const sim::Chunk& frame) {
    std::vector<std::string> out;
    for (int v : frame.channels) out.push_back(std::to_string(v));
    out.resize(kChannels, "-");
    return out;
}

struct Playback {
    MainFormHarness& h;
    // Before a chunk's bytes arrive, with the clock already at its time.
    std::function<void(const sim::Chunk&)> beforeChunk = [](const sim::Chunk&) {};
    // When a frame's sync byte has reached the oldest place of the window,
    // nine bytes after it arrived; `decoded` is false when the window no
    // longer held it (a calibration had cleared it).
    std::function<void(const sim::Chunk&, bool decoded)> atDecode = [](const sim::Chunk&, bool) {};

    void play(const std::vector<sim::Chunk>& chunks) {
        struct Pending {
            std::size_t syncIndex;
            const sim::Chunk* frame;
        };
        std::vector<Pending> pending;
        std::size_t received = 0;
        for (const sim::Chunk& chunk : chunks) {
            const std::int64_t late = millis(chunk.at) - h.clock.now();
            if (late > 0) h.clock.advance(late);
            beforeChunk(chunk);
            if (chunk.format) pending.push_back({received, &chunk});
            for (std::uint8_t b : chunk.bytes) {
                h.receive({b});
                if (!pending.empty() && pending.front().syncIndex + 9 == received) {
                    const sim::Chunk& frame = *pending.front().frame;
                    atDecode(frame, h.form.frameWindow()[0] == frame.bytes[0]);
                    pending.erase(pending.begin());
                }
                ++received;
            }
        }
    }
};

}  // namespace quadrel::testing
