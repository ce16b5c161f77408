#include "probe_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace quadrel::probe {

namespace {

// Up to three decimals, no trailing zeros: 44.4, 22.5, 8.
std::string number(double v) {
    if (!std::isfinite(v)) return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.3f", v);
    std::string s = text;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string fixed(double v, int decimals) {
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string histogramText(const IntervalFigures& f) {
    std::string out;
    for (int b = 0; b < IntervalFigures::kBins; ++b) {
        const int count = f.histogram[static_cast<std::size_t>(b)];
        if (count == 0) continue;
        const int low = static_cast<int>(b * IntervalFigures::kBinMs);
        out += out.empty() ? "" : ", ";
        out += b == IntervalFigures::kBins - 1
                   ? std::to_string(low) + "+"
                   : std::to_string(low) + "-" + std::to_string(low + 5);
        out += " ms: " + std::to_string(count);
    }
    return out.empty() ? "none" : out;
}

}  // namespace

std::vector<Check> checkExpectations(const ProbeOptions& o, const LinkReport& r) {
    std::vector<Check> checks;
    if (o.expectChannels)
        checks.push_back({"channels", static_cast<double>(*o.expectChannels),
                          static_cast<double>(r.channels), r.channels == *o.expectChannels});
    if (o.minFps)
        checks.push_back({"min_fps", *o.minFps, r.framesPerSecond, r.framesPerSecond >= *o.minFps});
    if (o.maxIntervalMs) {
        // With no two frames there is no interval, and no link either.
        const bool any = r.intervals.count > 0;
        checks.push_back({"max_interval_ms", *o.maxIntervalMs, any ? r.intervals.maxMs : NAN,
                          any && r.intervals.maxMs <= *o.maxIntervalMs});
    }
    return checks;
}

std::string_view verdictKey(Verdict verdict) {
    // In the order of Verdict: stable keys for scripts.
    constexpr std::string_view kKeys[] = {"port_away", "no_bytes",  "no_frames",   "irregular",
                                          "lost_sync", "glitches",  "off_rate",    "good",
                                          "waiting",   "sync_like", "frames_lost", "port_shared"};
    static_assert(std::size(kKeys) == static_cast<std::size_t>(Verdict::PortShared) + 1);
    return kKeys[static_cast<std::size_t>(verdict)];
}

namespace {

// "on", "already_on", "refused"; nothing where no port was asked (a replay).
std::optional<std::string_view> latencyKey(LowLatency l) {
    switch (l) {
        case LowLatency::On:
            return "on";
        case LowLatency::AlreadyOn:
            return "already_on";
        case LowLatency::Refused:
            return "refused";
        case LowLatency::NotAsked:
            break;
    }
    return std::nullopt;
}

std::string_view patternKey(DeliveryPattern p) {
    constexpr std::string_view kKeys[] = {"unknown", "as_it_arrives", "byte_by_byte", "batches",
                                          "packets"};
    return kKeys[static_cast<std::size_t>(p)];
}

}  // namespace

std::string reportText(const ProbeRun& run, const LinkReport& r, const std::vector<Check>& checks) {
    const IntervalFigures& f = r.intervals;
    const auto& kind = r.framesPerSecondByKind;
    const ClockFigures& clock = r.clock;
    const std::string window = "in the last " + fixed(r.windowSeconds, 0) + " s";
    std::string out = r.verdictText + "\n";
    out += "  listened   " + fixed(r.seconds, 1) + " s to " + run.source + " at " + run.settings +
           "; last byte " + fixed(r.silenceSeconds, 1) + " s ago\n";
    out += "  delivery   " + r.delivery.text;
    if (r.lowLatency != LowLatency::NotAsked)
        out += "; low latency " + lowLatencyText(r.lowLatency);
    out += "\n";
    out += "  bytes      " + std::to_string(r.bytes) + ", " + fixed(r.bytesPerSecond, 0) + "/s\n";
    out += "  frames     " + std::to_string(r.frames) + ", " + fixed(r.framesPerSecond, 1) +
           "/s (standard " + fixed(kind[0], 1) + ", variant " + fixed(kind[1], 1) + ", Zhen Hua " +
           fixed(kind[2], 1) + "); " + std::to_string(r.channels) + " channels, " +
           std::to_string(r.channelCountChanges) + " changes\n";
    if (clock.periodMs > 0)
        out += "  clock      a frame every " + fixed(clock.periodMs, 1) + " ms; " +
               std::to_string(clock.lost) + " of " + std::to_string(clock.expected) + " lost " +
               window + ", " + std::to_string(clock.lostSinceReset) + " since the start\n";
    if (f.count > 0)
        out += "  interval   last " + fixed(f.lastMs, 1) + " ms, min " + fixed(f.minMs, 1) +
               ", mean " + fixed(f.meanMs, 1) + ", 99% " + fixed(f.p99Ms, 1) + ", max " +
               fixed(f.maxMs, 1) + "; " + fixed(f.lateShare * 100, 0) + " % late by more than " +
               fixed(f.lateMs, 0) + " ms, of " + std::to_string(f.count) + " " + window + "\n";
    out += "  histogram  " + histogramText(f) + "\n";
    out += "  trouble    " + std::to_string(r.lostBytes) + " bytes outside frames, " +
           std::to_string(r.shortFrames) + " short frames, " + std::to_string(r.strayFrames) +
           " stray frames, " + std::to_string(r.syncLikeValues) + " sync-like values, " +
           std::to_string(r.glitches) + " glitches\n";
    out += "  line       errors " + lineErrorsText(r.lineErrors) + "\n";

    std::string rows[7] = {"  channel  ", "  min      ", "  max      ", "  last     ",
                           "  noise    ", "  glitches ", "  synclike "};
    bool any = false;
    for (int k = 0; k < 8; ++k) {
        const ChannelFigures& c = r.channel[static_cast<std::size_t>(k)];
        if (!c.seen) continue;
        any = true;
        const auto cell = [](const std::string& s) {
            return std::string(5 - std::min<std::size_t>(s.size(), 4), ' ') + s;
        };
        rows[0] += cell(std::to_string(k + 1));
        rows[1] += cell(std::to_string(c.min));
        rows[2] += cell(std::to_string(c.max));
        rows[3] += cell(std::to_string(c.last));
        rows[4] += cell(c.noise < 0 ? "-" : std::to_string(c.noise));
        rows[5] += cell(std::to_string(c.glitches));
        rows[6] += cell(std::to_string(c.syncLike));
    }
    if (any)
        for (const std::string& row : rows) out += row + "\n";
    for (const Check& c : checks)
        out += std::string(c.ok ? "  ok         " : "  FAILED     ") + c.name + ": want " +
               (c.name == "channels"  ? ""
                : c.name == "min_fps" ? "at least "
                                      : "at most ") +
               number(c.want) + ", got " + (std::isfinite(c.got) ? number(c.got) : "none") + "\n";
    return out;
}

std::string reportJson(const ProbeRun& run, const LinkReport& r, const std::vector<Check>& checks) {
    const IntervalFigures& f = r.intervals;
    const auto count = [](std::uint64_t n) { return std::to_string(n); };
    std::string out = "{\n";
    const auto field = [&out](std::string_view key, const std::string& value, bool last = false) {
        out += "  " + quoted(key) + ": " + value + (last ? "\n" : ",\n");
    };
    field("source", quoted(run.source));
    field("settings", quoted(run.settings));
    const DeliveryFigures& d = r.delivery;
    field("delivery", "{\"pattern\": " + quoted(patternKey(d.pattern)) +
                          ", \"granularity_ms\": " + number(d.granularityMs) +
                          ", \"bytes_per_read\": " + number(d.bytesPerRead) +
                          ", \"packet_bytes\": " +
                          (d.packetBytes > 0 ? std::to_string(d.packetBytes) : "null") +
                          ", \"text\": " + quoted(d.text) + "}");
    const auto latency = latencyKey(r.lowLatency);
    field("low_latency", latency ? quoted(*latency) : "null");
    field("verdict", quoted(verdictKey(r.verdict)));
    field("verdict_text", quoted(r.verdictText));
    field("seconds", number(r.seconds));
    field("silence_seconds", number(r.silenceSeconds));
    field("bytes", count(r.bytes));
    field("bytes_per_second", number(r.bytesPerSecond));
    field("frames", count(r.frames));
    field("frames_per_second", number(r.framesPerSecond));
    field("frames_per_second_by_kind", "{\"standard\": " + number(r.framesPerSecondByKind[0]) +
                                           ", \"variant\": " + number(r.framesPerSecondByKind[1]) +
                                           ", \"zhenhua\": " + number(r.framesPerSecondByKind[2]) +
                                           "}");
    field("channels", std::to_string(r.channels));
    const ClockFigures& clock = r.clock;
    field("frame_clock", "{\"period_ms\": " + number(clock.periodMs) +
                             ", \"fitted\": " + (clock.fitted ? "true" : "false") +
                             ", \"expected\": " + count(clock.expected) +
                             ", \"lost\": " + count(clock.lost) +
                             ", \"lost_since_start\": " + count(clock.lostSinceReset) + "}");
    const std::pair<const char*, std::uint64_t> counts[] = {
        {"channel_count_changes", r.channelCountChanges},
        {"lost_bytes", r.lostBytes},
        {"short_frames", r.shortFrames},
        {"stray_frames", r.strayFrames},
        {"sync_like_values", r.syncLikeValues},
        {"line_errors", r.lineErrors.counts.total()},
        {"glitches", r.glitches}};
    for (const auto& [key, n] : counts) field(key, count(n));
    const LineErrorCounts& e = r.lineErrors.counts;
    field("line_errors_by_kind",
          r.lineErrors.reported
              ? "{\"framing\": " + count(e.framing) + ", \"parity\": " + count(e.parity) +
                    ", \"overrun\": " + count(e.overrun) + ", \"break\": " + count(e.breaks) + "}"
              : "null");
    std::string histogram;
    for (int n : f.histogram) histogram += (histogram.empty() ? "" : ", ") + std::to_string(n);
    field("interval_ms",
          "{\"count\": " + std::to_string(f.count) + ", \"last\": " + number(f.lastMs) +
              ", \"min\": " + number(f.minMs) + ", \"mean\": " + number(f.meanMs) +
              ", \"p99\": " + number(f.p99Ms) + ", \"max\": " + number(f.maxMs) +
              ", \"late_share\": " + number(f.lateShare) + ", \"late_ms\": " + number(f.lateMs) +
              ", \"histogram\": [" + histogram + "]}");
    std::string channels;
    for (int k = 0; k < 8; ++k) {
        const ChannelFigures& c = r.channel[static_cast<std::size_t>(k)];
        if (!c.seen) continue;
        channels += std::string(channels.empty() ? "\n" : ",\n") +
                    "    {\"channel\": " + std::to_string(k + 1) +
                    ", \"min\": " + std::to_string(c.min) + ", \"max\": " + std::to_string(c.max) +
                    ", \"last\": " + std::to_string(c.last) +
                    ", \"noise\": " + (c.noise < 0 ? "null" : std::to_string(c.noise)) +
                    ", \"glitches\": " + std::to_string(c.glitches) +
                    ", \"sync_like\": " + std::to_string(c.syncLike) + "}";
    }
    field("channel", "[" + channels + (channels.empty() ? "]" : "\n  ]"));
    std::string expectations;
    bool ok = r.verdict != Verdict::PortAway;
    for (const Check& c : checks) {
        ok = ok && c.ok;
        expectations += std::string(expectations.empty() ? "\n" : ",\n") +
                        "    {\"name\": " + quoted(c.name) + ", \"want\": " + number(c.want) +
                        ", \"got\": " + number(c.got) + ", \"ok\": " + (c.ok ? "true" : "false") +
                        "}";
    }
    field("expectations", "[" + expectations + (expectations.empty() ? "]" : "\n  ]"));
    if (r.verdict == Verdict::PortAway) field("error", quoted(r.verdictText));
    field("ok", ok ? "true" : "false", true);
    return out + "}\n";
}

std::string failureJson(const std::string& error) {
    return "{\n  \"error\": " + quoted(error) + ",\n  \"ok\": false\n}\n";
}

std::string quoted(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace quadrel::probe
