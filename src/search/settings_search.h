// The settings search: works out which port, line settings and control
// lines an interface needs, by trying them on the port in turn and
// listening to each. It drives the port through its seam and is driven by
// plain events (a read, the time), so tests run it in virtual time.
//
// On each port, the control lines as stored, then both on, then both off,
// each at the line settings nearest the current ones, until bytes come;
// then, with those control lines, every baud rate and parity, nearest
// first (8 data bits, 1 stop bit). It stops at the first try with steady
// frames and no errors; otherwise the finding is the best evidence the
// tries gave. However it ends, the port is left as it was.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "receiver/deadline.h"
#include "search/try_score.h"
#include "serial/serial_port.h"

namespace quadrel {

struct SearchTry {
    PortSettings settings;
    TryScore score;
    std::string failure;  // why the port refused; empty when it listened
};

struct Finding {
    enum class Kind {
        Working,   // steady frames, no errors
        Troubled,  // the best frames came with errors or stray bytes
        Inverted,  // bytes at every setting, never a frame
        NoFrames,  // bytes at some settings, never a frame
        NoBytes,   // silence at every setting
        NoPort,    // no port would open
    };
    Kind kind = Kind::NoBytes;
    std::optional<PortSettings> settings;  // what to use: Working and Troubled
    std::string text;                      // the finding, with what to do
    std::string evidence;                  // what the tries showed
    Time took{0};
    int tries = 0;
};

// "COM 2, 19200,E,8,1, DTR on"
std::string describeTry(const PortSettings& settings);

class SettingsSearch {
public:
    static constexpr Time kListen = std::chrono::milliseconds(500);
    // Bytes still on their way from the settings before are not judged.
    static constexpr Time kSettle = std::chrono::milliseconds(50);
    // A try whose bytes began late is heard out to this.
    static constexpr Time kLongest = std::chrono::milliseconds(1000);

    explicit SettingsSearch(SerialPort& port) : port_(port) {}

    // Searches `current.port`, then each of `otherPorts` (the others
    // present, when every port is to be tried). `current` is the port as it
    // is now, control lines included: what it is left as.
    void start(const PortSettings& current, std::vector<int> otherPorts, Time now);
    // A read of the port during the search.
    void feed(std::span<const std::uint8_t> bytes, Time now);
    std::optional<Time> nextDeadline() const;
    void advance(Time now);
    // Stops at once, the port back as it was.
    void cancel();

    bool running() const { return running_; }
    bool cancelled() const { return cancelled_; }
    // The try under way.
    std::optional<PortSettings> trying() const;
    // Tries made, and at most how many the search can make.
    int triesMade() const { return static_cast<int>(tries_.size()); }
    int mostTries() const;
    const std::vector<SearchTry>& tries() const { return tries_; }
    // Once the search has ended by itself.
    const std::optional<Finding>& finding() const { return finding_; }

    // Told of each try as it ends.
    void onTry(std::function<void(const SearchTry&)> listener) { onTry_ = std::move(listener); }

private:
    enum class Phase { Power, Lines };
    PortSettings planned() const;
    void begin(Time now);  // the planned try
    // The line settings to try after `after`; lines_.size() when none is left.
    std::size_t nextLine(std::size_t after) const;
    void judge(Time now);
    void nextPort(Time now);
    void finish(Time now);
    void restore();
    std::optional<std::uint64_t> lineErrorsNow() const;

    SerialPort& port_;
    PortSettings original_;
    bool wasOpen_ = false;
    bool running_ = false, cancelled_ = false;
    Time startedAt_{0};

    std::vector<int> ports_;
    std::vector<PortSettings> powers_;  // control lines to try, on port_ numbers alike
    std::vector<LineSettings> lines_;   // nearest first
    std::size_t portAt_ = 0, powerAt_ = 0, lineAt_ = 0;
    Phase phase_ = Phase::Power;

    // The try under way.
    Time tryStart_{0};
    std::optional<Time> firstByte_;
    std::optional<std::uint64_t> errorsAtStart_;
    TryListener listener_;

    std::vector<SearchTry> tries_;
    std::optional<Finding> finding_;
    std::function<void(const SearchTry&)> onTry_;
};

}  // namespace quadrel
