#include "find_report.h"

#include <cstdio>

#include "probe_report.h"

namespace quadrel::probe {
namespace {

std::string errorsText(const std::optional<std::uint64_t>& errors) {
    return errors ? std::to_string(*errors) + " line errors" : "line errors not counted";
}

std::string linesText(const PortSettings& s) {
    return std::string("RTS ") + (s.rts ? "on" : "off") + ", DTR " + (s.dtr ? "on" : "off");
}

const char* kindKey(Finding::Kind kind) {
    switch (kind) {
        case Finding::Kind::Working:
            return "working";
        case Finding::Kind::Troubled:
            return "troubled";
        case Finding::Kind::Inverted:
            return "inverted";
        case Finding::Kind::NoFrames:
            return "no_frames";
        case Finding::Kind::NoBytes:
            return "no_bytes";
        case Finding::Kind::NoPort:
            return "no_port";
    }
    return "";
}

std::string seconds(Time t) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", std::chrono::duration<double>(t).count());
    return text;
}

}  // namespace

std::string tryText(int number, const SearchTry& t) {
    std::string out = "try " + std::to_string(number) + ": " + describeTry(t.settings) + ": ";
    if (!t.failure.empty()) return out + "refused: " + t.failure + "\n";
    const TryScore& s = t.score;
    return out + std::to_string(s.bytes) + " bytes, " + std::to_string(s.frames) + " frames, " +
           std::to_string(s.steadyFrames) + " steady, " + std::to_string(s.strayBytes) +
           " bytes between frames, " + errorsText(s.lineErrors) + "\n";
}

std::string findingText(const Finding& f) {
    std::string out = f.text + "\n" + f.evidence + "\n";
    if (f.settings)
        out += "--settings " + formatLineSettings(f.settings->line) + " (COM " +
               std::to_string(f.settings->port) + ", " + linesText(*f.settings) + ")\n";
    return out;
}

std::string findJson(const std::vector<SearchTry>& tries, const Finding& f) {
    std::string out = "{\n  \"found\": " + std::string(f.settings ? "true" : "false") +
                      ",\n  \"kind\": " + quoted(kindKey(f.kind)) + ",\n";
    if (f.settings)
        out += "  \"port\": " + std::to_string(f.settings->port) +
               ",\n  \"settings\": " + quoted(formatLineSettings(f.settings->line)) +
               ",\n  \"rts\": " + (f.settings->rts ? "true" : "false") +
               ",\n  \"dtr\": " + (f.settings->dtr ? "true" : "false") + ",\n";
    out += "  \"text\": " + quoted(f.text) + ",\n  \"evidence\": " + quoted(f.evidence) +
           ",\n  \"seconds\": " + seconds(f.took) + ",\n  \"tries\": [";
    for (std::size_t i = 0; i < tries.size(); ++i) {
        const SearchTry& t = tries[i];
        const TryScore& s = t.score;
        out += std::string(i ? "," : "") + "\n    {\"port\": " + std::to_string(t.settings.port) +
               ", \"settings\": " + quoted(formatLineSettings(t.settings.line)) +
               ", \"rts\": " + (t.settings.rts ? "true" : "false") +
               ", \"dtr\": " + (t.settings.dtr ? "true" : "false");
        if (!t.failure.empty()) {
            out += ", \"refused\": " + quoted(t.failure) + "}";
            continue;
        }
        out += ", \"bytes\": " + std::to_string(s.bytes) +
               ", \"frames\": " + std::to_string(s.frames) +
               ", \"steady_frames\": " + std::to_string(s.steadyFrames) +
               ", \"stray_bytes\": " + std::to_string(s.strayBytes) + ", \"line_errors\": " +
               (s.lineErrors ? std::to_string(*s.lineErrors) : std::string("null")) + "}";
    }
    return out + "\n  ]\n}\n";
}

}  // namespace quadrel::probe
