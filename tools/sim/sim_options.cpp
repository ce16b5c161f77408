#include "sim_options.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <sstream>

#include "capture_file.h"
#include "number_text.h"

namespace quadrel::sim {

namespace {

struct OptionName {
    std::string_view name;
    bool takesValue;
};

constexpr OptionName kOptions[] = {
    {"output", true},       {"line", true},
    {"baud", true},         {"format", true},
    {"channels", true},     {"sync", true},
    {"filler", true},       {"travel", true},
    {"motion", true},       {"seed", true},
    {"frame-period", true}, {"frame-rate", true},
    {"fast", false},        {"noise", true},
    {"drop", true},         {"gap-every", true},
    {"gap-length", true},   {"switch-to", true},
    {"switch-after", true}, {"replay", true},
    {"loop", false},        {"count", true},
    {"duration", true},     {"quiet", false},
    {"jitter", true},       {"glitch", true},
    {"burst", true},        {"silence", true},
    {"inverted", false},    {"receiver-baud", true},
    {"parity", true},       {"receiver-parity", true},
};

// Frame options that mean nothing for a replayed capture.
constexpr std::string_view kFrameOptions[] = {
    "format",     "channels",  "sync",         "filler", "travel", "motion", "frame-period",
    "frame-rate", "switch-to", "switch-after", "count",  "jitter", "glitch", "burst"};

struct Failure {
    std::string message;
};

Nanos seconds(double s) {
    return std::chrono::duration_cast<Nanos>(std::chrono::duration<double>(s));
}

class Reader {
public:
    explicit Reader(std::map<std::string_view, std::string_view> given)
        : given_(std::move(given)) {}

    bool has(std::string_view name) const { return given_.contains(name); }
    std::string_view text(std::string_view name) const { return given_.at(name); }

    long whole(std::string_view name, long low, long high) const {
        const auto v = parseWhole(text(name));
        if (!v || *v < low || *v > high)
            fail(name,
                 "a whole number from " + std::to_string(low) + " to " + std::to_string(high));
        return static_cast<long>(*v);
    }
    // One letter: N, E, O, M or S, in either case.
    Parity parity(std::string_view name) const {
        const std::string_view t = text(name);
        const auto p = t.size() == 1 ? parityOfLetter(t[0]) : std::nullopt;
        if (!p) fail(name, "a parity: N, E, O, M or S");
        return *p;
    }
    // A decimal number in (low, high], or [low, high] when `lowAllowed`.
    double decimal(std::string_view name, double low, double high, bool lowAllowed,
                   const std::string& what) const {
        const auto v = parseDecimal(text(name));
        if (!v || !std::isfinite(*v) || *v > high || *v < low || (*v == low && !lowAllowed))
            fail(name, what);
        return *v;
    }
    FrameFormat format(std::string_view name) const {
        const auto f = valueIn(kFormatNames, text(name));
        if (!f) fail(name, "standard, variant or zhenhua");
        return *f;
    }

    // "A" or "A:B": the first number, and the second or `otherwise`.
    std::pair<double, double> pair(std::string_view name, double otherwise,
                                   const std::string& what) const {
        const auto fields = splitFields(text(name), ':');
        const auto a = parseDecimal(fields[0]);
        const auto b = fields.size() == 2 ? parseDecimal(fields[1]) : std::optional(otherwise);
        if (fields.size() > 2 || !a || !b || !std::isfinite(*a) || !std::isfinite(*b) || *a <= 0 ||
            *b <= 0 || *a > 1e6 || *b > 1e6)
            fail(name, what);
        return {*a, *b};
    }

    [[noreturn]] void fail(std::string_view name, const std::string& expected) const {
        throw Failure{"--" + std::string(name) + " '" + printable(text(name)) + "': expected " +
                      expected};
    }

private:
    std::map<std::string_view, std::string_view> given_;
};

[[noreturn]] void fail(const std::string& message) {
    throw Failure{message};
}

OutputTarget readOutput(const Reader& r) {
    const std::string_view text = r.text("output");
    const auto withPath = [&](std::string_view prefix,
                              OutputKind kind) -> std::optional<OutputTarget> {
        if (!text.starts_with(prefix) || text.size() == prefix.size()) return std::nullopt;
        return OutputTarget{kind, std::string(text.substr(prefix.size()))};
    };
    if (text == "pty") return {OutputKind::Pty, {}};
    if (text == "stdout" || text == "-") return {OutputKind::Stdout, {}};
    if (auto t = withPath("file:", OutputKind::File)) return *t;
    if (auto t = withPath("device:", OutputKind::Device)) return *t;
    r.fail("output", "pty, stdout, file:PATH or device:PATH");
}

void readFrames(const Reader& r, StreamSettings& s) {
    FrameLayout& layout = s.layout;
    if (r.has("format")) layout.format = r.format("format");
    if (r.has("channels")) layout.channels = static_cast<int>(r.whole("channels", 1, kMaxChannels));
    if (r.has("sync")) layout.sync = static_cast<int>(r.whole("sync", 240, 254));
    if (r.has("filler")) layout.filler = static_cast<int>(r.whole("filler", 0, 64));

    std::vector<FrameFormat> used{layout.format};
    if (r.has("switch-to")) {
        FormatSwitch change;
        change.to = layout;
        change.to.format = r.format("switch-to");
        if (change.to.format == layout.format)
            fail("--switch-to must name another format than --format");
        const std::string_view after = r.has("switch-after") ? r.text("switch-after") : "5s";
        if (after.ends_with('f')) {
            const auto frames = parseWhole(after.substr(0, after.size() - 1));
            if (!frames || *frames < 0)
                r.fail("switch-after", "SECONDS (like 5 or 2.5s) or FRAMES (like 200f)");
            change.afterFrames = static_cast<long>(*frames);
        } else {
            const auto secs =
                parseDecimal(after.ends_with('s') ? after.substr(0, after.size() - 1) : after);
            if (!secs || !std::isfinite(*secs) || *secs < 0 || *secs > 1e6)
                r.fail("switch-after", "SECONDS (like 5 or 2.5s) or FRAMES (like 200f)");
            change.afterTime = seconds(*secs);
        }
        used.push_back(change.to.format);
        s.formatSwitch = change;
    } else if (r.has("switch-after")) {
        fail("--switch-after needs --switch-to FORMAT");
    }

    const auto uses = [&](FrameFormat f) {
        return std::find(used.begin(), used.end(), f) != used.end();
    };
    if (r.has("channels") && !uses(FrameFormat::Standard) && !uses(FrameFormat::Variant))
        fail("--channels does not apply to Zhen Hua frames, which always carry four channels");
    if (r.has("sync") && !uses(FrameFormat::Variant)) fail("--sync applies to variant frames only");
    if (r.has("filler") && !uses(FrameFormat::ZhenHua))
        fail("--filler applies to Zhen Hua frames only");

    if (r.has("travel")) {
        const auto fields = splitFields(r.text("travel"), ',');
        const auto low = fields.size() == 2 ? parseWhole(fields[0]) : std::nullopt;
        const auto high = fields.size() == 2 ? parseWhole(fields[1]) : std::nullopt;
        if (!low || !high || *low < 0 || *high <= *low)
            r.fail("travel", "LOW,HIGH with 0 <= LOW < HIGH");
        s.travelLow = static_cast<int>(*low);
        s.travelHigh = static_cast<int>(std::min<std::int64_t>(*high, 1000));
    }
    for (FrameFormat f : used)
        if (s.travelHigh > highestValue(f))
            fail("--travel reaches " + std::to_string(s.travelHigh) + ", beyond " +
                 std::to_string(highestValue(f)) + ", the largest value " +
                 std::string(nameIn(kFormatNames, f)) + " frames carry");

    if (r.has("motion")) {
        const auto m = valueIn(kMotionNames, r.text("motion"));
        if (!m) r.fail("motion", "sweep, circle, centre or mixed");
        s.motion = *m;
    }
}

void readPace(const Reader& r, SimOptions& o) {
    StreamSettings& s = o.stream;
    if (r.has("line")) {
        const auto line = parseLineSettings(r.text("line"));
        if (!line)
            r.fail("line",
                   "BAUD,PARITY,DATA,STOP like 19200,N,8,1 (parity N, E, O, M or S; 5 to 8 data "
                   "bits; 1, 1.5 or 2 stop bits)");
        s.line = *line;
        if (line->baud < 50 || line->baud > 4'000'000)
            r.fail("line", "a baud rate from 50 to 4000000");
    }
    if (r.has("baud")) s.line.baud = static_cast<int>(r.whole("baud", 50, 4'000'000));
    if (r.has("parity")) s.line.parity = r.parity("parity");
    o.lineGiven = r.has("line") || r.has("baud") || r.has("parity");
    if (r.has("frame-period") && r.has("frame-rate"))
        fail("give either --frame-period or --frame-rate, not both");
    if (r.has("frame-period"))
        s.framePeriodMs =
            r.decimal("frame-period", 0, 10'000, true, "milliseconds from 0 to 10000");
    if (r.has("frame-rate"))
        s.framePeriodMs =
            1000.0 / r.decimal("frame-rate", 0, 10'000, false, "frames a second, above 0");
    o.fast = r.has("fast");
}

void readFaults(const Reader& r, StreamSettings& s) {
    Faults& f = s.faults;
    if (r.has("noise")) f.noise = r.decimal("noise", 0, 1, true, "a rate from 0 to 1, like 0.01");
    if (r.has("drop"))
        f.drop = r.decimal("drop", 0, 0.99, true, "a rate from 0 to 0.99, like 0.01");
    if (r.has("jitter"))
        f.jitterMs = r.decimal("jitter", 0, 1000, true, "milliseconds from 0 to 1000");
    if (r.has("glitch")) {
        const auto [channel, rate] = r.pair("glitch", 1, "CHANNEL[:PER_SECOND] like 3 or 3:0.5");
        const int carried = std::min(carriedChannels(s.layout),
                                     s.formatSwitch ? carriedChannels(s.formatSwitch->to) : 8);
        if (channel != std::floor(channel) || channel > carried)
            r.fail("glitch", "a channel the frames carry, 1 to " + std::to_string(carried));
        f.glitchChannel = static_cast<int>(channel);
        f.glitchesPerSecond = rate;
    }
    if (r.has("burst")) {
        const auto [bytes, rate] = r.pair("burst", 1, "BYTES[:PER_SECOND] like 20 or 20:0.5");
        if (bytes != std::floor(bytes) || bytes > 10'000)
            r.fail("burst", "a number of bytes from 1 to 10000");
        f.burstBytes = static_cast<int>(bytes);
        f.burstsPerSecond = rate;
    }
    f.inverted = r.has("inverted");
    if (r.has("receiver-baud"))
        f.receiverBaud = static_cast<int>(r.whole("receiver-baud", 50, 4'000'000));
    if (r.has("receiver-parity")) f.receiverParity = r.parity("receiver-parity");
    if (r.has("silence")) {
        if (r.has("gap-every") || r.has("gap-length"))
            fail("give either --silence or --gap-every and --gap-length, not both");
        const auto [length, every] = r.pair("silence", 5, "SECONDS[:EVERY_SECONDS] like 2 or 2:10");
        f.gapLength = seconds(length);
        f.gapEvery = seconds(every);
    }
    if (r.has("gap-every")) {
        f.gapEvery = seconds(r.decimal("gap-every", 0, 1e6, false, "seconds, above 0"));
        f.gapLength = std::chrono::milliseconds(
            r.has("gap-length") ? r.whole("gap-length", 1, 3'600'000) : 1000);
    } else if (r.has("gap-length")) {
        fail("--gap-length needs --gap-every SECONDS");
    }
}

void readEnd(const Reader& r, SimOptions& o) {
    StreamSettings& s = o.stream;
    if (r.has("count")) s.frameCount = r.whole("count", 1, std::numeric_limits<long>::max());
    if (r.has("duration"))
        s.duration = seconds(r.decimal("duration", 0, 1e9, false, "seconds, above 0"));
    if (r.has("replay")) {
        for (std::string_view name : kFrameOptions)
            if (r.has(name))
                fail("--" + std::string(name) +
                     " does not apply to --replay, which sends a captured stream");
        if (r.text("replay").empty()) r.fail("replay", "a file name");
        o.replayPath = std::string(r.text("replay"));
        s.loop = r.has("loop");
    } else if (r.has("loop")) {
        fail("--loop needs --replay FILE");
    }
}

}  // namespace

ParsedOptions parseOptions(const std::vector<std::string_view>& args) {
    ParsedOptions result;
    try {
        std::map<std::string_view, std::string_view> given;
        for (std::size_t i = 0; i < args.size(); ++i) {
            if (result.answered(args[i])) return result;
            const auto option = optionName(args[i]);
            if (!option) fail("unexpected argument '" + printable(args[i]) + "'");
            std::string_view arg = *option;
            const auto equals = arg.find('=');
            const std::string_view name = arg.substr(0, equals);
            const auto known = std::find_if(std::begin(kOptions), std::end(kOptions),
                                            [&](const OptionName& o) { return o.name == name; });
            if (known == std::end(kOptions)) fail("unknown option '--" + printable(name) + "'");
            if (!known->takesValue) {
                if (equals != std::string_view::npos)
                    fail("--" + std::string(name) + " takes no value");
                given[name] = "";
            } else if (equals != std::string_view::npos) {
                given[name] = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                given[name] = args[++i];
            } else {
                fail("--" + std::string(name) + " needs a value");
            }
        }
        const Reader r(std::move(given));
        SimOptions& o = result.options;
        if (r.has("output")) o.output = readOutput(r);
        readFrames(r, o.stream);
        readPace(r, o);
        readFaults(r, o.stream);
        readEnd(r, o);
        if (r.has("seed"))
            o.seed =
                static_cast<std::uint64_t>(r.whole("seed", 0, std::numeric_limits<long>::max()));
        o.quiet = r.has("quiet");
    } catch (const Failure& failure) {
        result.action = ParsedOptions::Action::Error;
        result.error = failure.message;
    }
    return result;
}

std::string describeStream(const SimOptions& o) {
    const StreamSettings& s = o.stream;
    std::ostringstream out;
    out << "quadrel-sim: ";
    if (o.replayPath) {
        out << "replaying " << *o.replayPath << (s.loop ? " in a loop" : "");
    } else {
        out << nameIn(kFormatNames, s.layout.format) << " frames";
        if (s.layout.format == FrameFormat::ZhenHua)
            out << ", " << s.layout.filler << " filler bytes";
        else
            out << ", " << s.layout.channels << " channels";
        if (s.layout.format == FrameFormat::Variant) out << ", sync " << s.layout.sync;
        out << ", " << nameIn(kMotionNames, s.motion) << " motion " << s.travelLow << ".."
            << s.travelHigh;
        if (s.formatSwitch)
            out << ", then " << nameIn(kFormatNames, s.formatSwitch->to.format) << " frames";
    }
    out << ", seed " << s.seed << ", " << formatLineSettings(s.line) << " ("
        << bytesPerSecond(s.line) << " bytes/s)";
    if (o.fast) {
        out << ", as fast as the reader takes it";
    } else if (!o.replayPath) {
        const double frameMs =
            1000.0 * static_cast<double>(frameLength(s.layout)) / bytesPerSecond(s.line);
        if (s.framePeriodMs > frameMs)
            out << ", a frame every " << s.framePeriodMs << " ms";
        else
            out << ", frames back to back";
    }
    if (s.faults.noise > 0) out << ", noise " << s.faults.noise;
    if (s.faults.drop > 0) out << ", drop " << s.faults.drop;
    if (s.faults.gapEvery > Nanos{0})
        out << ", a "
            << std::chrono::duration_cast<std::chrono::milliseconds>(s.faults.gapLength).count()
            << " ms gap every " << std::chrono::duration<double>(s.faults.gapEvery).count() << " s";
    if (s.faults.jitterMs > 0) out << ", jitter " << s.faults.jitterMs << " ms";
    // "1 glitch a second", "2.5 glitches a second"
    const auto perSecond = [&out](double n, const char* one, const char* many) {
        out << ", " << n << ' ' << (n == 1 ? one : many) << " a second";
    };
    if (s.faults.glitchChannel > 0) {
        perSecond(s.faults.glitchesPerSecond, "glitch", "glitches");
        out << " on channel " << s.faults.glitchChannel;
    }
    if (s.faults.burstBytes > 0) {
        perSecond(s.faults.burstsPerSecond, "burst", "bursts");
        out << " of " << s.faults.burstBytes << " byte" << (s.faults.burstBytes == 1 ? "" : "s");
    }
    if (s.faults.inverted) out << ", inverted";
    if (s.faults.receiverBaud) out << ", read at " << *s.faults.receiverBaud << " baud";
    if (s.faults.receiverParity)
        out << ", read with parity " << parityLetter(*s.faults.receiverParity);
    return out.str();
}

}  // namespace quadrel::sim
