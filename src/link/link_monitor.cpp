#include "link/link_monitor.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace quadrel {
namespace {

constexpr std::uint8_t kSyncLike = 239;  // reaching the oldest place, it starts a frame
constexpr int kGlitchJump = 10;          // a stick cannot jump this far and back in one frame
constexpr int kStickChannels = 4;        // every transmitter sends at least its two sticks
constexpr int kUsualRun = 3;             // frames in a row that make a channel count the usual one
constexpr std::int64_t kDropoutUs = 500'000;  // the receiver's no-signal time

int kindIndex(FrameKind kind) {
    return kind == FrameKind::Standard ? 0 : kind == FrameKind::Variant ? 1 : 2;
}

}  // namespace

// Where a frame's parts stand in the window, its sync at position 0.
struct LinkMonitor::Shape {
    int first = 1;     // the first channel
    int last = 0;      // the frame's last byte
    int claimed = 1;   // positions 0..claimed-1 are the frame's (a cable frame's filler too)
    int endMark = -1;  // the byte that ended the channel list, if one did
    int next = 1;      // where the next frame's sync belongs; 10 is past the window

    static Shape of(FrameKind kind, int present, const FrameWindow& window) {
        Shape s;
        if (kind == FrameKind::ZhenHua) {
            // The cable's packets come back to back, or padded to nine bytes.
            s.last = 4;
            s.claimed = s.next = window[5] == kZhenHuaSync ? 5 : 9;
            return s;
        }
        s.first = kind == FrameKind::Variant ? 2 : 1;
        s.last = s.first + present - 1;
        s.claimed = s.next = s.last + 1;
        if (present < 8) s.endMark = s.next;
        return s;
    }
};

void LinkMonitor::reset(std::int64_t nowUs) {
    // Still true after a reset: the port, its driver and its line.
    std::string away = std::move(portAway_), shared = std::move(portShared_);
    const auto driver = driver_;
    const LowLatency latency = lowLatency_;
    const double byteUs = byteUs_;
    *this = LinkMonitor();
    portAway_ = std::move(away);
    portShared_ = std::move(shared);
    driver_ = driver;
    lowLatency_ = latency;
    byteUs_ = byteUs;
    resetAt_ = now_ = readAt_ = lastStamp_ = nowUs;
    bucketStart_ = nowUs - nowUs % kBucketUs;
    bucketSlot_ = static_cast<std::size_t>((bucketStart_ / kBucketUs) % kBuckets);
}

void LinkMonitor::setLine(const LineSettings& line) {
    const double stop = line.stopBits == StopBits::Two          ? 2
                        : line.stopBits == StopBits::OneAndHalf ? 1.5
                                                                : 1;
    const double bits = 1 + line.dataBits + (line.parity == Parity::None ? 0 : 1) + stop;
    if (line.baud > 0) byteUs_ = 1e6 * bits / line.baud;
}

void LinkMonitor::beginRead(std::int64_t atUs, std::size_t bytes) {
    now_ = readAt_ = atUs;
    bucketStart_ = now_ - now_ % kBucketUs;
    bucketSlot_ = static_cast<std::size_t>((bucketStart_ / kBucketUs) % kBuckets);
    readLeft_ = bytes;
    ++reads_;
    delivery_.read(bytes);
}

LinkMonitor::Bucket& LinkMonitor::bucket() {
    Bucket& b = buckets_[bucketSlot_];
    if (b.start != bucketStart_) b = Bucket{bucketStart_};
    return b;
}

LinkMonitor::Sums LinkMonitor::sum(std::int64_t nowUs, std::int64_t us) const {
    Sums s;
    for (const Bucket& b : buckets_) {
        if (b.start < 0 || b.start <= nowUs - us || b.start > nowUs) continue;
        s.bytes += b.bytes, s.lost += b.lost, s.strayLost += b.strayLost;
        s.glitches += b.glitches, s.syncLike += b.syncLike, s.steadyBytes += b.steadyBytes;
        s.excused += b.excused, s.strays += b.strays, s.lineErrors += b.lineErrors;
        for (int k = 0; k < 3; ++k) s.frames[k] += b.frames[k];
    }
    return s;
}

std::optional<std::uint64_t> LinkMonitor::indexAt(int position) const {
    if (!inWindow(position) || bytes_ < static_cast<std::uint64_t>(10 - position))
        return std::nullopt;
    return bytes_ - 10 + static_cast<std::uint64_t>(position);
}

void LinkMonitor::mark(int from, int to, ByteRole role) {
    for (int p = std::max(from, 0); p < std::min(to, 10); ++p)
        if (const auto i = indexAt(p)) at(*i).raw.role = role;
}

void LinkMonitor::markOutside(int from, int to, bool stray) {
    for (int p = std::max(from, 0); p < std::min(to, 10); ++p) {
        const auto i = indexAt(p);
        if (!i || at(*i).raw.role != ByteRole::Pending) continue;  // another frame's byte
        at(*i).raw.role = ByteRole::Outside;
        ++lostBytes_;
        ++bucket().lost;
        if (stray) ++bucket().strayLost;
    }
}

void LinkMonitor::byteReceived(std::uint8_t raw) {
    // The byte at the window's oldest place leaves it; if no frame took it,
    // it belonged to none. Before the first frame the stream is only being
    // joined.
    if (const auto leaving = indexAt(0); leaving && at(*leaving).raw.role == ByteRole::Pending) {
        at(*leaving).raw.role = ByteRole::Outside;
        if (synced_) {
            ++lostBytes_;
            ++bucket().lost;
        }
    }
    inWindow_ = static_cast<std::uint16_t>(inWindow_ >> 1 | 1u << 9);
    // The read's bytes came off the line one byte time apart, its last as
    // the read arrived; never before the bytes of an earlier read.
    double stamp = static_cast<double>(readAt_);
    if (readLeft_ > 0) stamp -= static_cast<double>(--readLeft_) * byteUs_;
    lastStamp_ = std::max(lastStamp_, static_cast<std::int64_t>(std::llround(stamp)));
    at(bytes_) = Slot{{raw, ByteRole::Pending}, lastStamp_, readAt_, reads_};
    ++bytes_;
    ++bucket().bytes;
    lastByteAt_ = readAt_;
}

void LinkMonitor::windowCleared(const FrameWindow& window) {
    // Calibration drops what follows the oldest byte: no frame will have it,
    // but it was not lost on the line either, and a frame it drops is not
    // lost by the interface.
    for (int p = 1; p < 10; ++p) {
        const auto i = indexAt(p);
        if (!i) continue;
        ByteRole& role = at(*i).raw.role;
        const bool startsFrame =
            window[p] >= kSyncLike && (role == ByteRole::Pending || role == ByteRole::EndMark);
        if (synced_ && startsFrame) {
            ++excused_;
            ++bucket().excused;
            // The next interval is not the link's, unless a silence led up
            // to this calibration.
            if (now_ - lastByteAt_ < kDropoutUs) intervalBroken_ = true;
        }
        if (role == ByteRole::Pending) role = ByteRole::Outside;
    }
    inWindow_ &= 1u;
    synced_ = false;
    endMark_.reset();
    syncLikeEnd_.reset();
}

void LinkMonitor::setDriverLineErrors(std::optional<LineErrorCounts> counts) {
    // Framing and parity errors are what a wrong baud rate or an inverted
    // line leaves; the new ones go into the current bucket.
    if (counts && driver_) {
        const std::uint64_t before = driver_->framing + driver_->parity;
        const std::uint64_t now = counts->framing + counts->parity;
        if (now > before)
            bucket().lineErrors +=
                static_cast<std::uint32_t>(std::min<std::uint64_t>(now - before, 1u << 30));
    }
    driver_ = counts;
}

void LinkMonitor::frameDecoded(FrameKind kind, const DecodedFrame& frame, const FrameWindow& window,
                               bool readAsCable) {
    if (kind == FrameKind::None) return;
    const Shape shape = Shape::of(kind, frame.presentChannels, window);
    const Origin origin = originOf(shape, kind, frame, window);
    if (origin == Origin::Own) {
        acceptFrame(shape, kind, frame, window, readAsCable != (kind == FrameKind::ZhenHua));
        return;
    }
    // Made of other frames' bytes, or of none: what no frame took is
    // outside frames, and none of it is a channel.
    const bool ofSyncLike = origin == Origin::SyncLike;
    markOutside(0, shape.claimed, ofSyncLike);
    ++stray_;
    ++bucket().strays;
    // Its end mark is the next channel value of the frame it broke into,
    // and looks like a sync too: the frame that starts there is no more the
    // interface's than this one.
    if (ofSyncLike && shape.endMark >= 0 && shape.endMark < 10 && indexAt(0))
        syncLikeEnd_ = *indexAt(0) + static_cast<std::uint64_t>(shape.endMark);
}

LinkMonitor::Origin LinkMonitor::originOf(const Shape& shape, FrameKind kind,
                                          const DecodedFrame& frame, const FrameWindow& window) {
    const auto sync = indexAt(0);
    if (!sync) return Origin::Own;
    const ByteRole role = at(*sync).raw.role;
    // A sync that an earlier frame read as one of its channels.
    if (role == ByteRole::Channel || role == ByteRole::Unread) return Origin::SyncLike;
    // A short frame's end mark was the next sync if a whole frame of the
    // usual kind follows it; else it was a channel value that looks like a
    // sync, as is the end mark of a frame that started at one.
    const bool whole = frame.presentChannels == usualChannels_ && kind_ == kind;
    if (syncLikeEnd_ == *sync) {
        syncLikeEnd_.reset();
        if (whole) return Origin::Own;
        countSyncLike(syncLikeChannel_, window[0]);
        return Origin::SyncLike;
    }
    if (endMark_ && endMark_->index == *sync) {
        const EndMark m = *endMark_;
        endMark_.reset();
        // As short as the frame before: the transmitter sends fewer channels now.
        if (whole || (frame.presentChannels == m.channel - 1 && kind_ == kind)) return Origin::Own;
        countSyncLike(m.channel, m.value);
        ChannelTrack& t = track_[static_cast<std::size_t>(m.channel - 1)];
        t.lowest = std::min(t.lowest, m.value);
        t.highest = std::max(t.highest, m.value);
        ++t.count;
        return Origin::SyncLike;
    }
    if (role == ByteRole::EndMark || !synced_ || *sync == nextSync_) return Origin::Own;
    // After bytes that no frame took, a frame of the interface's again only
    // if it looks like one: the usual channels, a sync after them, and on a
    // tick of its own.
    if (usualChannels_ > 0 && frame.presentChannels != usualChannels_) return Origin::Stray;
    if (kind != FrameKind::ZhenHua && shape.next < 10 && window[shape.next] < kSyncLike)
        return Origin::Stray;
    const bool onTick =
        clock_.ticksTo(at(*sync + static_cast<std::uint64_t>(shape.last)).stampUs) > 0;
    return onTick ? Origin::Own : Origin::Stray;
}

void LinkMonitor::acceptFrame(const Shape& shape, FrameKind kind, const DecodedFrame& frame,
                              const FrameWindow& window, bool switchesFormat) {
    const std::uint64_t sync = indexAt(0).value_or(bytes_);
    const int present = frame.presentChannels;
    mark(0, 1, ByteRole::Sync);
    mark(1, shape.first, ByteRole::Unread);
    mark(shape.first, shape.last + 1, ByteRole::Channel);
    mark(shape.last + 1, shape.claimed, ByteRole::Unread);
    if (shape.endMark >= 0) mark(shape.endMark, shape.endMark + 1, ByteRole::EndMark);

    // Channels are tracked afresh when the frame kind changes. The frame
    // that switches the cable format in or out was read in the other one,
    // as were the bytes behind it: they are not its channels, and what was
    // read in the other format says nothing of this one.
    if (kind_ && *kind_ != kind) {
        for (ChannelTrack& t : track_) t = ChannelTrack();
        if ((*kind_ == FrameKind::ZhenHua) != (kind == FrameKind::ZhenHua)) rejoin(sync);
    }
    if (switchesFormat) switchedAt_ = bytes_;
    kind_ = kind;
    const bool readAsSent = sync + static_cast<std::uint64_t>(shape.last) >= switchedAt_;
    const FrameClock::Tick tick = timeFrame(shape, sync);

    const bool wasUsual = usualChannels_ > 0 && present == usualChannels_;
    countChannels(present);
    for (int k = 0; k < present && readAsSent; ++k)
        if (frame.values[static_cast<std::size_t>(k)] >= kSyncLike)
            countSyncLike(k + 1, frame.values[static_cast<std::size_t>(k)]);
    endMark_.reset();
    if (usualChannels_ > 0 && present < usualChannels_ && shape.endMark >= 0)
        endMark_ = EndMark{sync + static_cast<std::uint64_t>(shape.endMark), present + 1,
                           window[shape.endMark]};

    // Values either side of lost frames are no neighbours.
    if (tick.ticks != 1 || !wasUsual || !readAsSent) forgetNeighbours();
    if (wasUsual && readAsSent) {
        recordChannels(frame);
        if (present >= kStickChannels)
            bucket().steadyBytes += static_cast<std::uint32_t>(shape.claimed);
    }
    ++frames_;
    ++bucket().frames[static_cast<std::size_t>(kindIndex(kind))];
    synced_ = true;
    nextSync_ = sync + static_cast<std::uint64_t>(shape.next);
}

FrameClock::Tick LinkMonitor::timeFrame(const Shape& shape, std::uint64_t sync) {
    // Where two reads split the frame, the time between them is how long
    // the adapter held its bytes.
    for (int p = 0; p < shape.last; ++p) {
        const Slot& a = at(sync + static_cast<std::uint64_t>(p));
        const Slot& b = at(sync + static_cast<std::uint64_t>(p) + 1);
        if (a.read != b.read) delivery_.split(b.arrivalUs - a.arrivalUs);
    }
    delivery_.frame();
    // A frame comes when its last byte does.
    const std::int64_t stamp = at(sync + static_cast<std::uint64_t>(shape.last)).stampUs;
    const FrameClock::Tick tick = clock_.frame(stamp, delivery_.granularityUs());
    FrameSeen seen{stamp, tick.index, 0, static_cast<float>(tick.lateUs / 1000), tick.ticks, false};
    if (frames_ > 0) {
        const FrameSeen& before = seen_[(seenCount_ - 1) % kFrames];
        seen.intervalMs = static_cast<float>(static_cast<double>(stamp - before.atUs) / 1000.0);
        seen.afterAnother = !intervalBroken_;
    } else {
        firstTick_ = tick.index;
    }
    intervalBroken_ = false;
    seen_[seenCount_++ % kFrames] = seen;
    return tick;
}

void LinkMonitor::countChannels(int present) {
    run_ = frames_ > 0 && present == channels_ ? run_ + 1 : 1;
    if (run_ == 1) shortInRun_ = 0;
    channels_ = present;
    if (usualChannels_ > 0 && present < usualChannels_) ++shortFrames_, ++shortInRun_;
    if (run_ >= kUsualRun && present != usualChannels_) {
        // Not short frames after all: the transmitter sends this many now.
        if (usualChannels_ > 0) {
            ++channelChanges_;
            shortFrames_ -= static_cast<std::uint64_t>(shortInRun_);
        }
        usualChannels_ = present;
        shortInRun_ = 0;
    }
}

void LinkMonitor::rejoin(std::uint64_t sync) {
    lostBytes_ = shortFrames_ = syncLike_ = glitches_ = stray_ = excused_ = 0;
    for (Bucket& b : buckets_)
        b.lost = b.strayLost = b.glitches = b.syncLike = b.excused = b.strays = 0;
    clock_.reset();
    seenCount_ = 0;
    frames_ = 0;
    usualChannels_ = run_ = shortInRun_ = 0;
    endMark_.reset();
    syncLikeEnd_.reset();
    // The bytes before this frame were the other format's.
    for (std::uint64_t i = bytes_ > kRecentBytes ? bytes_ - kRecentBytes : 0; i < sync; ++i)
        if (at(i).raw.role == ByteRole::Outside) at(i).raw.role = ByteRole::Unread;
}

void LinkMonitor::countSyncLike(int channel, std::uint8_t value) {
    syncLikeChannel_ = channel;
    ++syncLike_;
    ++bucket().syncLike;
    ChannelTrack& t = track_[static_cast<std::size_t>(channel - 1)];
    ++t.syncLike;
    t.syncLikeValue = value;
}

void LinkMonitor::forgetNeighbours() {
    for (ChannelTrack& t : track_) t.neighbours = 0, t.away = 0, t.candidate = false;
}

void LinkMonitor::recordChannels(const DecodedFrame& frame) {
    for (int k = 0; k < frame.presentChannels; ++k) {
        const std::uint8_t v = frame.values[static_cast<std::size_t>(k)];
        ChannelTrack& t = track_[static_cast<std::size_t>(k)];
        t.lowest = std::min(t.lowest, v);
        t.highest = std::max(t.highest, v);
        t.last = v;
        t.historyAt[t.count % kHistory] = now_;
        t.history[t.count % kHistory] = v;
        ++t.count;
        // A spike: a value far from the line through the values either side
        // of it and away from both, so that a moving stick shows one too and
        // a step (a switch) does not. Its neighbours stand off the lines
        // through theirs half as far, so only the farthest of three counts.
        if (t.neighbours == 2) {
            const int before = t.before, middle = t.middle;
            const int away = 2 * middle - before - v;  // twice the distance from the line
            const bool out = (middle - before) * away > 0 && (middle - v) * away > 0;
            if (t.candidate && std::abs(t.away) >= std::abs(away)) {
                ++t.glitches;
                ++glitches_;
                ++bucket().glitches;
            }
            t.candidate =
                out && std::abs(away) >= 2 * kGlitchJump && std::abs(away) > std::abs(t.away);
            t.away = away;
        }
        t.before = t.middle;
        t.middle = v;
        t.neighbours = std::min(t.neighbours + 1, 2);
    }
}

}  // namespace quadrel
