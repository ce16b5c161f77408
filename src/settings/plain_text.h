// Small text helpers shared by everything that reads hand-edited or typed
// text: the settings file, the port settings and the capture files.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace quadrel {

// Blanks as a text editor leaves them around a value: spaces, tabs and the
// carriage return of a file saved on Windows.
constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

constexpr std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

// "a,b,c" cut at every `separator` into exactly N fields, as they stand;
// nothing when there are more or fewer.
template <std::size_t N>
constexpr std::optional<std::array<std::string_view, N>> splitFields(std::string_view text,
                                                                     char separator) {
    std::array<std::string_view, N> fields{};
    for (std::size_t i = 0;; ++i) {
        if (i == N) return std::nullopt;
        const std::size_t at = text.find(separator);
        fields[i] = text.substr(0, at);
        if (at == std::string_view::npos) return i + 1 == N ? std::optional(fields) : std::nullopt;
        text.remove_prefix(at + 1);
    }
}

}  // namespace quadrel
