// A control's caption text, stored inline: the receive path rewrites up to
// sixteen captions per frame and must not allocate to do it. Captions are
// short; a longer text is cut at kCapacity characters.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace quadrel {

class CaptionText {
public:
    static constexpr std::size_t kCapacity = 62;

    CaptionText() = default;
    CaptionText(std::string_view text) { assign(text); }  // NOLINT: captions are texts
    CaptionText(const char* text) : CaptionText(std::string_view(text)) {}
    CaptionText(const std::string& text) : CaptionText(std::string_view(text)) {}

    CaptionText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    CaptionText& operator=(const char* text) { return *this = std::string_view(text); }
    CaptionText& operator=(const std::string& text) { return *this = std::string_view(text); }

    // The decimal text of n: "-12", "0", "143".
    void setNumber(int n) {
        const auto end = std::to_chars(text_, text_ + kCapacity, n).ptr;
        size_ = static_cast<std::uint8_t>(end - text_);
    }

    std::string_view view() const { return {text_, size_}; }
    operator std::string_view() const { return view(); }  // NOLINT: reads as a text
    std::string str() const { return std::string(view()); }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    friend bool operator==(const CaptionText& a, const CaptionText& b) { return a.view() == b.view(); }
    friend bool operator==(const CaptionText& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const CaptionText& a, const char* b) { return a.view() == b; }
    friend bool operator==(const CaptionText& a, const std::string& b) { return a.view() == b; }
    friend std::ostream& operator<<(std::ostream& os, const CaptionText& c) { return os << c.view(); }

private:
    void assign(std::string_view text) {
        size_ = static_cast<std::uint8_t>(std::min(text.size(), kCapacity));
        std::memcpy(text_, text.data(), size_);
    }

    char text_[kCapacity] = {};
    std::uint8_t size_ = 0;
};

}  // namespace quadrel
