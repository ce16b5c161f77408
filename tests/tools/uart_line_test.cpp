// The receiver's UART in quadrel-sim: what it reads off a line at its own
// baud rate and parity or inverted, worked out bit by bit.
#include <gtest/gtest.h>

#include <limits>

#include "uart_line.h"

namespace quadrel::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr double kEnd = std::numeric_limits<double>::infinity();

TEST(UartLine, AMatchingReceiverReadsEveryByteInEveryFraming) {
    Bytes all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
    for (const char* settings : {"19200,N,8,1", "9600,E,8,2", "115200,O,7,1", "1200,M,5,1.5"}) {
        const auto line = *parseLineSettings(settings);
        sim::UartLine uart(line, line, false);
        uart.send(0, all);
        Bytes expected = all;
        for (auto& b : expected) b &= static_cast<std::uint8_t>((1u << line.dataBits) - 1);
        EXPECT_EQ(uart.receive(kEnd), expected) << settings;
        EXPECT_EQ(uart.framingErrors() + uart.breaks(), 0u) << settings;
    }
}

TEST(UartLine, AMismatchedReceiverReadsWhatTheBitsMakeAtItsPace) {
    // Bit times are in units of the faster side's bit.
    struct Case {
        const char *sender, *receiver;
        bool inverted;
        Bytes sent, read;
        std::uint64_t framingErrors, parityErrors, breaks;
    };
    // clang-format off
    const Case cases[] = {
        // The start bit covers the first two samples: 1111 1110.
        {"19200,N,8,1", "38400,N,8,1", false, {0xFF}, {0xFE}, 0, 0, 0},
        // Nine low bits are four and a half slow ones: 0001 1111 read LSB first.
        {"19200,N,8,1", "9600,N,8,1", false, {0x00}, {0xF8}, 0, 0, 0},
        // All eight samples and the stop bit low: a break, one 0 and no more.
        {"9600,N,8,1", "19200,N,8,1", false, {0xF0}, {0x00}, 0, 0, 1},
        // Stop bit low after 0110 0000: delivered, and taken for the next start bit.
        {"9600,N,8,1", "19200,N,8,1", false, {0x01}, {0x06, 0x00}, 1, 0, 0},
        // Inverted, a byte is one high start bit, then low: a break.
        {"19200,N,8,1", "19200,N,8,1", true, {0x00}, {0x00}, 0, 0, 1},
        {"19200,N,8,1", "19200,N,8,1", true, {0xFF}, {0x00}, 0, 0, 1},
        // Inverted and idle: no edge, nothing read.
        {"19200,N,8,1", "19200,N,8,1", true, {}, {}, 0, 0, 0},
        // The stop bit read for even parity, right for 0000 0001, wrong for 0000 0011;
        // the next start bit read for the first stop bit.
        {"19200,N,8,1", "19200,E,8,1", false, {0x01, 0x03}, {0x01, 0x03}, 1, 1, 0},
        // An even parity bit of 0 read for the stop bit: the rest is idle, all ones.
        {"19200,E,8,1", "19200,N,8,1", false, {0x03}, {0x03, 0xFF}, 1, 0, 0},
    };
    // clang-format on
    for (const Case& c : cases) {
        sim::UartLine uart(*parseLineSettings(c.sender), *parseLineSettings(c.receiver),
                           c.inverted);
        uart.send(0, c.sent);
        const std::string what = std::string(c.sender) + " read as " + c.receiver;
        EXPECT_EQ(uart.receive(kEnd), c.read) << what;
        EXPECT_EQ(uart.framingErrors(), c.framingErrors) << what;
        EXPECT_EQ(uart.parityErrors(), c.parityErrors) << what;
        EXPECT_EQ(uart.breaks(), c.breaks) << what;
    }
}

}  // namespace
}  // namespace quadrel::testing
