#include "link/delivery.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quadrel {
namespace {

constexpr double kSchedulingUs = 1000;  // what the host's scheduling blurs anyway
// Splits in a few frames tell a delivery that holds bytes back; reads
// that end where frames end tell one that does not only after more.
constexpr std::uint64_t kFramesToKnow = 16, kFramesToKnowUnsplit = 32;
// Splits in fewer frames than this, of the last kept: reads end where
// frames end, so they come as the interface sends.
constexpr int kSplitFrames = 3;
// A share of reads of one size, of one USB packet or more: full packets.
constexpr double kPacketShare = 0.75;
constexpr std::uint32_t kSmallestPacket = 16;

std::string format(const char* pattern, double a, double b = 0) {
    char text[120];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

}  // namespace

void Delivery::read(std::size_t bytes) {
    readSizes_[reads_++ % kKept] =
        static_cast<std::uint32_t>(std::min<std::size_t>(bytes, 1u << 30));
}

void Delivery::split(std::int64_t betweenUs) {
    const std::size_t i = splitCount_++ % kKept;
    splits_[i] = std::max<std::int64_t>(0, betweenUs);
    splitFrame_[i] = frames_;
}

double Delivery::granularityUs() {
    const std::uint64_t at = frames_ / 8;
    if (at != granularityAt_) granularity_ = workOutGranularity(), granularityAt_ = at;
    return granularity_;
}

double Delivery::workOutGranularity() const {
    // The splits of the last frames, and how many frames they split.
    std::array<std::int64_t, kKept> recent;
    std::size_t n = 0;
    int framesSplit = 0;
    std::uint64_t lastFrame = ~0ull;
    for (std::uint64_t i = 0; i < std::min<std::uint64_t>(splitCount_, kKept); ++i) {
        const std::size_t at = (splitCount_ - 1 - i) % kKept;
        if (splitFrame_[at] + kKept <= frames_) break;
        recent[n++] = splits_[at];
        if (splitFrame_[at] != lastFrame) ++framesSplit, lastFrame = splitFrame_[at];
    }
    if (frames_ < kFramesToKnow) return -1;
    if (framesSplit < kSplitFrames) return frames_ < kFramesToKnowUnsplit ? -1 : kSchedulingUs;
    std::nth_element(recent.begin(), recent.begin() + n / 2, recent.begin() + n);
    return std::max(kSchedulingUs, static_cast<double>(recent[n / 2]));
}

DeliveryFigures Delivery::figures() const {
    DeliveryFigures f;
    const std::size_t kept = static_cast<std::size_t>(std::min<std::uint64_t>(reads_, kKept));
    double total = 0;
    for (std::size_t i = 0; i < kept; ++i) total += readSizes_[i];
    f.bytesPerRead = kept ? total / kept : 0;
    const double g = workOutGranularity();
    if (g < 0) {
        f.text = "delivery not yet known";
        return f;
    }
    f.granularityMs = g / 1000;
    const double shown = std::max(1.0, std::round(f.granularityMs));
    // The size most reads have.
    std::array<std::uint32_t, kKept> sizes = readSizes_;
    std::sort(sizes.begin(), sizes.begin() + static_cast<std::ptrdiff_t>(kept));
    std::size_t run = 0, mostRun = 0;
    for (std::size_t i = 0; i < kept; ++i) {
        run = i > 0 && sizes[i] == sizes[i - 1] ? run + 1 : 1;
        if (run > mostRun) mostRun = run, f.packetBytes = static_cast<int>(sizes[i]);
    }
    if (kept >= kFramesToKnow && mostRun >= kPacketShare * kept &&
        f.packetBytes >= static_cast<int>(kSmallestPacket) && g > kSchedulingUs) {
        f.pattern = DeliveryPattern::Packets;
        f.text = format("delivered in %.0f-byte packets: timing shown to \u00b1%.0f ms",
                        static_cast<double>(f.packetBytes), shown);
        return f;
    }
    f.packetBytes = 0;
    if (g <= kSchedulingUs && f.bytesPerRead <= 1.5) {
        f.pattern = DeliveryPattern::ByteByByte;
        f.text = "delivered byte by byte: timing shown to \u00b11 ms";
    } else if (g <= kSchedulingUs) {
        f.pattern = DeliveryPattern::AsItArrives;
        f.text = "delivered as it arrives: timing shown to \u00b11 ms";
    } else {
        f.pattern = DeliveryPattern::Batches;
        f.text =
            format("delivered in %.0f ms batches: timing shown to \u00b1%.0f ms", shown, shown);
    }
    return f;
}

}  // namespace quadrel
