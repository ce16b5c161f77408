// What quadrel-probe prints: the link's figures and verdict as text or as
// JSON, and the expectations of its command line checked against them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/link_monitor.h"
#include "probe_options.h"

namespace quadrel::probe {

struct Check {
    std::string name;  // "channels", "min_fps", "max_interval_ms"
    double want = 0, got = 0;
    bool ok = false;
};

std::vector<Check> checkExpectations(const ProbeOptions& options, const LinkReport& report);

// Where the bytes came from and how the line was set, for the heading.
struct ProbeRun {
    std::string source;    // "/dev/ttyUSB0", "capture.txt"
    std::string settings;  // "19200,N,8,1"
};

// "good", "no_bytes", ...: the verdict's key in JSON.
std::string_view verdictKey(Verdict verdict);

std::string reportText(const ProbeRun& run, const LinkReport& report,
                       const std::vector<Check>& checks);
// With the port's verdict `port_away`, `error` carries why.
std::string reportJson(const ProbeRun& run, const LinkReport& report,
                       const std::vector<Check>& checks);
// What --json prints when the probe could not listen or replay at all.
std::string failureJson(const std::string& error);

// A JSON string: quotes, backslashes and control characters escaped.
std::string quoted(std::string_view text);

}  // namespace quadrel::probe
