// A value that may be empty (never written), a number, or the "-" that marks
// an absent channel. Empty counts as 0 in arithmetic and comparisons; "-"
// has no numeric value, so a step that computes with it is skipped.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>

namespace quadrel {

class ValueCell {
public:
    enum class Kind { Empty, Number, Absent };

    constexpr ValueCell() = default;
    // The values here are bar positions and their complements, never NaN;
    // the two NaN patterns below stand for "empty" and "-", which keeps a
    // cell one double wide on the per-frame path.
    static constexpr ValueCell number(double v) { return ValueCell(v); }
    static constexpr ValueCell absent() { return ValueCell(std::bit_cast<double>(kAbsentBits)); }

    constexpr Kind kind() const {
        const auto bits = std::bit_cast<std::uint64_t>(value_);
        return bits == kEmptyBits ? Kind::Empty : bits == kAbsentBits ? Kind::Absent : Kind::Number;
    }
    constexpr bool isEmpty() const { return std::bit_cast<std::uint64_t>(value_) == kEmptyBits; }
    constexpr bool isAbsent() const { return std::bit_cast<std::uint64_t>(value_) == kAbsentBits; }

    // The value for arithmetic: 0 for empty, nothing for "-".
    constexpr std::optional<double> numeric() const {
        switch (kind()) {
            case Kind::Absent: return std::nullopt;
            case Kind::Empty: return 0.0;
            case Kind::Number: break;
        }
        return value_;
    }

    // The number, or 0 for empty and "-" alike (the two NaN patterns).
    constexpr double numberOrZero() const { return value_ == value_ ? value_ : 0.0; }

    constexpr bool operator==(const ValueCell& other) const {
        return std::bit_cast<std::uint64_t>(value_) == std::bit_cast<std::uint64_t>(other.value_);
    }

private:
    static constexpr std::uint64_t kEmptyBits = 0x7FF8'0000'0000'E001;
    static constexpr std::uint64_t kAbsentBits = 0x7FF8'0000'0000'A001;

    explicit constexpr ValueCell(double v) : value_(v) {}
    double value_ = std::bit_cast<double>(kEmptyBits);
};

}  // namespace quadrel
