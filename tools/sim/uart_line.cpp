#include "uart_line.h"

#include <algorithm>
#include <bit>

namespace quadrel::sim {

namespace {

bool parityBit(Parity parity, unsigned value) {
    const bool odd = std::popcount(value) % 2 != 0;
    switch (parity) {
        case Parity::Even:
            return odd;
        case Parity::Odd:
            return !odd;
        case Parity::Mark:
            return true;
        case Parity::Space:
        case Parity::None:
            break;
    }
    return false;
}

}  // namespace

UartLine::UartLine(const LineSettings& sender, const LineSettings& receiver, bool inverted)
    : line_(sender),
      receiver_(receiver),
      sendBitNs_(1e9 / sender.baud),
      receiveBitNs_(1e9 / receiver.baud),
      inverted_(inverted),
      level_(!inverted),
      lastSent_(!inverted) {}

void UartLine::put(double atNs, bool bit) {
    const bool level = bit != inverted_;
    if (level == lastSent_) return;
    edges_.push_back({atNs, level});
    lastSent_ = level;
}

void UartLine::send(double atNs, std::span<const std::uint8_t> bytes) {
    const unsigned mask = (1u << line_.dataBits) - 1;
    for (std::uint8_t byte : bytes) {
        const unsigned value = byte & mask;
        const double start = std::max(atNs, lineFreeNs_);
        double t = start;
        put(t, false);  // start bit
        for (int i = 0; i < line_.dataBits; ++i) put(t += sendBitNs_, (value >> i) & 1u);
        if (line_.parity != Parity::None) put(t += sendBitNs_, parityBit(line_.parity, value));
        put(t + sendBitNs_, true);  // stop bits: the line rests until the next start bit
        lineFreeNs_ = start + bitsPerByte(line_) * sendBitNs_;
    }
}

bool UartLine::levelAt(double atNs) {
    while (!edges_.empty() && edges_.front().atNs <= atNs) {
        level_ = edges_.front().high;
        edges_.pop_front();
    }
    return level_;
}

std::vector<std::uint8_t> UartLine::receive(double untilNs) {
    std::vector<std::uint8_t> out;
    const LineSettings& rx = receiver_;
    const bool hasParity = rx.parity != Parity::None;
    const auto sample = [&](double bits) { return levelAt(startNs_ + bits * receiveBitNs_); };
    for (;;) {
        // Hunt for a falling edge.
        while (!receiving_ && !edges_.empty() && edges_.front().atNs <= untilNs) {
            const Edge e = edges_.front();
            edges_.pop_front();
            level_ = e.high;
            if (!e.high) receiving_ = true, startNs_ = e.atNs;
        }
        const double stopBit = 1 + rx.dataBits + (hasParity ? 1 : 0);
        if (!receiving_ || startNs_ + (stopBit + 0.5) * receiveBitNs_ > untilNs) return out;

        if (sample(0.5)) {  // high again: a spike, not a start bit
            receiving_ = false;
            continue;
        }
        unsigned value = 0;
        for (int i = 0; i < rx.dataBits; ++i)
            if (sample(1.5 + i)) value |= 1u << i;
        const bool parity = hasParity && sample(1.5 + rx.dataBits);
        if (hasParity && parity != parityBit(rx.parity, value)) ++parityErrors_;
        const bool stop = sample(stopBit + 0.5);
        out.push_back(static_cast<std::uint8_t>(value));
        if (stop) {
            receiving_ = false;
        } else if (value == 0 && !parity) {
            ++breaks_;  // the next character starts only after the line rises
            receiving_ = false;
        } else {
            ++framingErrors_;  // the low stop bit starts the next character
            startNs_ += stopBit * receiveBitNs_;
        }
    }
}

}  // namespace quadrel::sim
