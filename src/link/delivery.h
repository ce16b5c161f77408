// How the adapter hands the line's bytes over: as they come, in batches on
// a latency timer, or in full USB packets. A frame's bytes follow each other
// on the wire with no pause, so where two reads split a frame, the time
// between those reads is how long the adapter holds bytes back: the
// granularity to which arrival times tell when a frame came.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quadrel {

enum class DeliveryPattern { Unknown, AsItArrives, ByteByByte, Batches, Packets };

struct DeliveryFigures {
    DeliveryPattern pattern = DeliveryPattern::Unknown;
    double granularityMs = 0;  // arrival times are true to within this
    double bytesPerRead = 0;   // over the last reads
    int packetBytes = 0;       // for Packets: the size nearly every read has
    std::string text;          // "delivered in 16 ms batches: timing shown to ±16 ms"
};

class Delivery {
public:
    void reset() { *this = Delivery(); }

    // Each read, with the number of bytes it held.
    void read(std::size_t bytes);
    // Each frame of the interface's own, and each place where two reads
    // split one, with the time between them.
    void frame() { ++frames_; }
    void split(std::int64_t betweenUs);

    // At least 1 ms, the host's own scheduling; -1 until it is known.
    // Worked out again every few frames.
    double granularityUs();
    DeliveryFigures figures() const;

private:
    static constexpr int kKept = 64;
    std::array<std::uint32_t, kKept> readSizes_{};
    std::uint64_t reads_ = 0;
    std::array<std::int64_t, kKept> splits_{};       // microseconds between the reads
    std::array<std::uint64_t, kKept> splitFrame_{};  // the frame each split was in
    std::uint64_t splitCount_ = 0, frames_ = 0;
    double granularity_ = -1;
    std::uint64_t granularityAt_ = ~0ull;  // the frames it was worked out at, by eights
    double workOutGranularity() const;
};

}  // namespace quadrel
