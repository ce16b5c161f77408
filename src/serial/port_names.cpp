#include "serial/port_names.h"

#include <algorithm>
#include <cctype>

namespace quadrel {
namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The digit run starting at `pos`.
std::string_view digitRun(std::string_view s, std::size_t pos) {
    std::size_t end = pos;
    while (end < s.size() && isDigit(s[end])) ++end;
    return s.substr(pos, end - pos);
}

std::string_view withoutLeadingZeros(std::string_view run) {
    while (run.size() > 1 && run.front() == '0') run.remove_prefix(1);
    return run;
}

std::string_view baseName(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool containsNoCase(std::string_view s, std::string_view part) {
    return std::search(s.begin(), s.end(), part.begin(), part.end(),
                       [](char a, char b) { return lower(a) == lower(b); }) != s.end();
}

}  // namespace

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const auto ra = digitRun(a, i);
            const auto rb = digitRun(b, j);
            const auto va = withoutLeadingZeros(ra);
            const auto vb = withoutLeadingZeros(rb);
            // More significant digits is the larger number.
            if (va.size() != vb.size()) return va.size() < vb.size();
            if (va != vb) return va < vb;
            // Equal values: fewer leading zeros first keeps the order strict.
            if (ra.size() != rb.size()) return ra.size() < rb.size();
            i += ra.size();
            j += rb.size();
            continue;
        }
        if (a[i] != b[j]) return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

bool isUsbSerialDevice(std::string_view path) {
    const auto name = baseName(path);
    return containsNoCase(name, "usb") || containsNoCase(name, "acm");
}

std::vector<std::string> orderSerialPorts(std::vector<std::string> paths) {
    std::sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        const bool usbA = isUsbSerialDevice(a);
        const bool usbB = isUsbSerialDevice(b);
        if (usbA != usbB) return usbA;
        return naturalLess(a, b);
    });
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    return paths;
}

std::string devicePathForPort(int n, const std::map<int, std::string>& configured,
                              const std::vector<std::string>& present) {
    if (const auto it = configured.find(n); it != configured.end() && !it->second.empty())
        return it->second;
    if (n >= 1) {
        const auto ordered = orderSerialPorts(present);
        if (static_cast<std::size_t>(n) <= ordered.size())
            return ordered[static_cast<std::size_t>(n) - 1];
    }
    return "/dev/ttyS" + std::to_string(n - 1);
}

}  // namespace quadrel
