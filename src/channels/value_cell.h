// A value that may be empty (never written), a number, or the "-" that marks
// an absent channel. Empty counts as 0 in arithmetic and comparisons; "-"
// has no numeric value, so a step that computes with it is skipped.
#pragma once

#include <optional>

namespace quadrel {

class ValueCell {
public:
    enum class Kind { Empty, Number, Absent };

    constexpr ValueCell() = default;
    static constexpr ValueCell number(double v) { return ValueCell(Kind::Number, v); }
    static constexpr ValueCell absent() { return ValueCell(Kind::Absent, 0.0); }

    constexpr Kind kind() const { return kind_; }
    constexpr bool isEmpty() const { return kind_ == Kind::Empty; }
    constexpr bool isAbsent() const { return kind_ == Kind::Absent; }

    // The value for arithmetic: 0 for empty, nothing for "-".
    constexpr std::optional<double> numeric() const {
        if (kind_ == Kind::Absent) return std::nullopt;
        return kind_ == Kind::Number ? value_ : 0.0;
    }

    constexpr bool operator==(const ValueCell&) const = default;

private:
    constexpr ValueCell(Kind k, double v) : kind_(k), value_(v) {}
    Kind kind_ = Kind::Empty;
    double value_ = 0.0;
};

}  // namespace quadrel
