#include "line_model.h"

#include <algorithm>
#include <cmath>

namespace quadrel::testing::line {
namespace {

std::uint8_t mirrored(int value) {
    std::uint8_t out = 0;
    for (int bit = 0; bit < 8; ++bit)
        if (value >> bit & 1) out = static_cast<std::uint8_t>(out | 1 << (7 - bit));
    return out;
}

std::int64_t wholeUs(double us) {
    return static_cast<std::int64_t>(std::ceil(us));
}

}  // namespace

void Wire::send(double atUs, const Bytes& bytes) {
    double done = std::max(atUs, freeUs_);
    for (std::uint8_t b : bytes) {
        done += byteUs_;
        bytes_.push_back({done, b, sends_});
    }
    freeUs_ = done;
    ++sends_;
}

Bytes standardFrame(const std::vector<int>& channels) {
    Bytes out{255};
    for (int v : channels) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

Bytes variantFrame(const std::vector<int>& channels, int sync) {
    Bytes out{static_cast<std::uint8_t>(sync), 0};
    for (int v : channels) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

Bytes cablePacket(const std::vector<int>& channels) {
    Bytes out{239};
    for (int v : channels) out.push_back(mirrored(v));
    return out;
}

void sendFrames(Wire& wire, double seconds, double periodUs, const std::function<Bytes(int)>& frame,
                const std::function<bool(int)>& sent) {
    for (int j = 0; j * periodUs < seconds * 1e6; ++j)
        if (sent(j)) wire.send(j * periodUs, frame(j));
}

std::vector<Batch> byteByByte(const Wire& wire) {
    std::vector<Batch> reads;
    for (const WireByte& b : wire.bytes()) reads.push_back({wholeUs(b.doneUs), {b.value}});
    return reads;
}

std::vector<Batch> wholeSends(const Wire& wire) {
    std::vector<Batch> reads;
    int send = -1;
    for (const WireByte& b : wire.bytes()) {
        if (b.send != send) reads.push_back({0, {}});
        send = b.send;
        reads.back().bytes.push_back(b.value);
        reads.back().atUs = wholeUs(b.doneUs);
    }
    return reads;
}

std::vector<Batch> latencyTimer(const Wire& wire, double ms, int packet) {
    std::vector<Batch> reads;
    Bytes waiting;
    const double tickUs = ms * 1000;
    double nextTick = tickUs;
    for (const WireByte& b : wire.bytes()) {
        // Ticks before this byte send what waits.
        while (nextTick < b.doneUs) {
            if (!waiting.empty()) reads.push_back({wholeUs(nextTick), std::move(waiting)});
            waiting.clear();
            nextTick += tickUs;
        }
        waiting.push_back(b.value);
        if (static_cast<int>(waiting.size()) == packet) {
            reads.push_back({wholeUs(b.doneUs), std::move(waiting)});
            waiting.clear();
        }
    }
    if (!waiting.empty()) reads.push_back({wholeUs(nextTick), std::move(waiting)});
    return reads;
}

std::vector<Batch> fullPackets(const Wire& wire, int packet) {
    std::vector<Batch> reads;
    Bytes waiting;
    for (const WireByte& b : wire.bytes()) {
        waiting.push_back(b.value);
        if (static_cast<int>(waiting.size()) == packet) {
            reads.push_back({wholeUs(b.doneUs), std::move(waiting)});
            waiting.clear();
        }
    }
    return reads;
}

std::vector<Batch> lateRead(std::vector<Batch> reads, double atMs, double lateMs) {
    const double from = atMs * 1000, until = (atMs + lateMs) * 1000;
    std::vector<Batch> out;
    for (Batch& r : reads) {
        const bool held = r.atUs >= from && r.atUs < until;
        if (held && !out.empty() && out.back().atUs == wholeUs(until)) {
            out.back().bytes.insert(out.back().bytes.end(), r.bytes.begin(), r.bytes.end());
        } else {
            if (held) r.atUs = wholeUs(until);
            out.push_back(std::move(r));
        }
    }
    return out;
}

std::vector<Batch> busyHost(const std::vector<Batch>& reads, double lateMs) {
    std::vector<Batch> out;
    std::uint32_t random = 12345;
    for (const Batch& r : reads) {
        random = random * 1103515245u + 12345u;
        const std::int64_t at = r.atUs + wholeUs(lateMs * 1000 * (random >> 16 & 0x7fff) / 0x8000);
        if (!out.empty() && at <= out.back().atUs)
            out.back().bytes.insert(out.back().bytes.end(), r.bytes.begin(), r.bytes.end());
        else
            out.push_back({at, r.bytes});
    }
    return out;
}

}  // namespace quadrel::testing::line
