#include "search/settings_search.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>

#include "receiver/quietly.h"

namespace quadrel {
namespace {

constexpr int kBauds[] = {9600, 19200, 38400, 57600, 115200};
constexpr Parity kParities[] = {Parity::None, Parity::Even, Parity::Odd};

// Every baud rate and parity tried, nearest `current` first: its baud rate
// (or the nearest tried) with its parity, then the other parities; then the
// baud rates a step away, the lower first; and so on.
std::vector<LineSettings> linesNearest(const LineSettings& current) {
    std::vector<int> bauds(std::begin(kBauds), std::end(kBauds));
    const auto steps = [&](int baud) { return std::abs(std::log2(double(baud) / current.baud)); };
    std::stable_sort(bauds.begin(), bauds.end(),
                     [&](int a, int b) { return steps(a) < steps(b) - 1e-9; });
    std::vector<Parity> parities{current.parity};
    for (Parity p : kParities)
        if (p != current.parity) parities.push_back(p);
    if (std::find(std::begin(kParities), std::end(kParities), current.parity) ==
        std::end(kParities))
        parities.erase(parities.begin());  // mark and space are not tried
    std::vector<LineSettings> lines;
    for (int baud : bauds)
        for (Parity parity : parities) lines.push_back({baud, parity, 8, StopBits::One});
    return lines;
}

std::string powerText(bool rts, bool dtr) {
    if (rts && dtr) return "RTS and DTR on";
    if (rts) return "RTS on";
    if (dtr) return "DTR on";
    return "RTS and DTR off";
}

std::string count(std::uint64_t n, const std::string& one, const std::string& many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string secondsText(Time t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(t).count());
    return text;
}

}  // namespace

std::string describeTry(const PortSettings& s) {
    return "COM " + std::to_string(s.port) + ", " + formatLineSettings(s.line) + ", " +
           powerText(s.rts, s.dtr);
}

void SettingsSearch::start(const PortSettings& current, std::vector<int> otherPorts, Time now) {
    if (running_) cancel();
    original_ = current;
    wasOpen_ = port_.isOpen();
    running_ = true;
    cancelled_ = false;
    startedAt_ = now;
    tries_.clear();
    finding_.reset();

    ports_ = {current.port};
    for (int p : otherPorts)
        if (std::find(ports_.begin(), ports_.end(), p) == ports_.end()) ports_.push_back(p);
    lines_ = linesNearest(current.line);
    powers_.clear();
    for (const auto& lines : {std::pair{current.rts, current.dtr}, {true, true}, {false, false}})
        if (std::none_of(powers_.begin(), powers_.end(), [&](const PortSettings& p) {
                return std::pair{p.rts, p.dtr} == lines;
            }))
            powers_.push_back({0, {}, lines.first, lines.second});
    portAt_ = 0;
    powerAt_ = lineAt_ = 0;
    phase_ = Phase::Power;
    begin(now);
}

int SettingsSearch::mostTries() const {
    const int perPort = static_cast<int>(powers_.size() - 1 + lines_.size());
    return static_cast<int>(ports_.size()) * perPort;
}

PortSettings SettingsSearch::planned() const {
    PortSettings s = powers_[powerAt_];
    s.port = ports_[portAt_];
    s.line = lines_[lineAt_];
    return s;
}

std::optional<PortSettings> SettingsSearch::trying() const {
    if (!running_) return std::nullopt;
    return planned();
}

std::optional<std::uint64_t> SettingsSearch::lineErrorsNow() const {
    const auto counts = port_.lineErrors();
    if (!counts) return std::nullopt;
    return counts->framing + counts->parity;
}

void SettingsSearch::begin(Time now) {
    const PortSettings s = planned();
    tryStart_ = now;
    firstByte_.reset();
    listener_ = TryListener{};
    try {
        // The port changes only closed; the rest are taken by the open port.
        if (port_.isOpen() && port_.portNumber() != s.port) port_.close();
        if (!port_.isOpen()) port_.setPortNumber(s.port);
        port_.setLine(s.line);
        port_.setRts(s.rts);
        port_.setDtr(s.dtr);
        if (!port_.isOpen()) port_.open();
        errorsAtStart_ = lineErrorsNow();
    } catch (const SerialError& e) {
        tries_.push_back({s, {}, e.what()});
        if (onTry_) onTry_(tries_.back());
        // Line settings the port refuses (a pseudo-terminal takes no
        // parity) cost only that try; a port that will not open, the port.
        if (e.kind() != SerialError::Kind::InvalidValue) return nextPort(now);
        lineAt_ = nextLine(lineAt_);
        if (lineAt_ == lines_.size()) return nextPort(now);
        return begin(now);
    }
}

void SettingsSearch::feed(std::span<const std::uint8_t> bytes, Time now) {
    if (!running_ || bytes.empty() || now < tryStart_ + kSettle) return;
    if (!firstByte_) firstByte_ = now;
    listener_.feed(bytes);
}

std::optional<Time> SettingsSearch::nextDeadline() const {
    if (!running_) return std::nullopt;
    // Bytes that began late (an interface starting up) are heard out.
    const bool hearOut = firstByte_ && *firstByte_ > tryStart_ + kListen / 2;
    return tryStart_ + (hearOut ? kLongest : kListen);
}

void SettingsSearch::advance(Time now) {
    while (running_ && nextDeadline() && *nextDeadline() <= now) judge(*nextDeadline());
}

void SettingsSearch::judge(Time now) {
    TryScore& score = listener_.score();
    // The rate counts from the first byte: an interface may start late.
    const Time heardFrom = std::max(tryStart_ + kSettle, firstByte_.value_or(now));
    score.seconds = std::chrono::duration<double>(now - heardFrom).count();
    if (const auto errors = lineErrorsNow(); errors && errorsAtStart_)
        score.lineErrors = *errors - std::min(*errors, *errorsAtStart_);
    tries_.push_back({planned(), score, {}});
    if (onTry_) onTry_(tries_.back());
    if (score.clean()) return finish(now);

    if (phase_ == Phase::Power && score.bytes > 0) {
        // Power is there: now the line settings, the ones just tried aside.
        phase_ = Phase::Lines;
        lineAt_ = nextLine(lineAt_);  // those before it were refused
    } else if (phase_ == Phase::Power) {
        if (++powerAt_ == powers_.size()) return nextPort(now);
    } else {
        lineAt_ = nextLine(lineAt_);
    }
    if (lineAt_ == lines_.size()) return nextPort(now);
    begin(now);
}

std::size_t SettingsSearch::nextLine(std::size_t after) const {
    return std::min(after + 1, lines_.size());
}

void SettingsSearch::nextPort(Time now) {
    if (++portAt_ == ports_.size()) return finish(now);
    powerAt_ = lineAt_ = 0;
    phase_ = Phase::Power;
    begin(now);
}

void SettingsSearch::cancel() {
    if (!running_) return;
    running_ = false;
    cancelled_ = true;
    restore();
}

void SettingsSearch::restore() {
    const PortSettings& o = original_;
    if (port_.isOpen() && (!wasOpen_ || port_.portNumber() != o.port))
        quietly([&] { port_.close(); });
    if (!port_.isOpen()) quietly([&] { port_.setPortNumber(o.port); });
    quietly([&] { port_.setLine(o.line); });
    quietly([&] { port_.setRts(o.rts); });
    quietly([&] { port_.setDtr(o.dtr); });
    if (wasOpen_ && !port_.isOpen()) quietly([&] { port_.open(); });
}

void SettingsSearch::finish(Time now) {
    running_ = false;
    restore();

    Finding f;
    f.took = now - startedAt_;
    f.tries = static_cast<int>(tries_.size());
    const SearchTry* best = nullptr;
    std::size_t listened = 0, withBytes = 0, withSteady = 0, withErrors = 0;
    const SearchTry* refused = nullptr;
    // Bytes at every baud rate, and at every try on that port once they came.
    std::set<int> baudsWithBytes;
    bool everyTry = true;
    int port = 0;
    bool bytesOnPort = false;
    for (const SearchTry& t : tries_) {
        if (!t.failure.empty()) {
            if (!refused) refused = &t;
            continue;
        }
        if (t.settings.port != port) port = t.settings.port, bytesOnPort = false;
        if (t.score.bytes > 0) {
            bytesOnPort = true;
            baudsWithBytes.insert(t.settings.line.baud);
        } else if (bytesOnPort) {
            everyTry = false;
        }
        ++listened;
        withBytes += t.score.bytes > 0;
        withSteady += t.score.steady();
        withErrors += t.score.lineErrors.value_or(0) > 0;
        if (!best || t.score.betterThan(best->score)) best = &t;
    }
    const std::string where =
        ports_.size() == 1 ? "on COM " + std::to_string(ports_.front()) : "on any port";

    if (best && best->score.steady()) {
        const TryScore& s = best->score;
        f.kind = s.clean() ? Finding::Kind::Working : Finding::Kind::Troubled;
        f.settings = best->settings;
        f.text = s.clean() ? "Found: " + describeTry(best->settings)
                           : "Frames at " + describeTry(best->settings) + ", but with " +
                                 count(s.lineErrors.value_or(0), "framing or parity error",
                                       "framing or parity errors") +
                                 " and " + count(s.strayBytes, "byte", "bytes") +
                                 " between frames: a noisy signal or a loose plug";
    } else if (listened == 0) {
        f.kind = Finding::Kind::NoPort;
        f.text = "No port could be opened: " + tries_.front().failure;
    } else if (withBytes == 0) {
        f.kind = Finding::Kind::NoBytes;
        f.text = "No bytes " + where +
                 " at any setting: check power (RTS/DTR), the trainer socket and the transmitter";
    } else if (everyTry && baudsWithBytes.size() == std::size(kBauds)) {
        f.kind = Finding::Kind::Inverted;
        f.text =
            "Bytes at every rate but no frames: the signal is probably inverted (try the "
            "interface's other output or an inverting cable)";
    } else {
        f.kind = Finding::Kind::NoFrames;
        f.text =
            "Bytes at some settings but frames at none: not a PPM interface, or a signal "
            "too weak to read";
    }
    f.evidence = count(tries_.size(), "try", "tries") + " in " + secondsText(f.took) +
                 ": bytes at " + std::to_string(withBytes) + ", steady frames at " +
                 std::to_string(withSteady) + ", line errors at " + std::to_string(withErrors);
    if (listened < tries_.size())
        f.evidence += "; " + count(tries_.size() - listened, "try", "tries") + " refused" + " (" +
                      refused->failure + ")";
    finding_ = std::move(f);
}

}  // namespace quadrel
