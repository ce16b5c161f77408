// Option values by name: the first name of a value is how it is printed;
// later ones are accepted spellings.
#pragma once

#include <optional>
#include <string_view>
#include <utility>

namespace quadrel::sim {

template <typename Value, std::size_t N>
using NameTable = std::pair<Value, std::string_view>[N];

template <typename Value, std::size_t N>
std::string_view nameIn(const NameTable<Value, N>& table, Value value) {
    for (const auto& [v, name] : table)
        if (v == value) return name;
    return {};
}

template <typename Value, std::size_t N>
std::optional<Value> valueIn(const NameTable<Value, N>& table, std::string_view name) {
    for (const auto& [v, n] : table)
        if (n == name) return v;
    return std::nullopt;
}

}  // namespace quadrel::sim
