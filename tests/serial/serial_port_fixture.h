// A serial component on a pseudo-terminal, with the receive handler the
// main window uses. Waits run the event loop until something happens, for
// at most 5 s.
#pragma once

#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "pty.h"
#include "serial/qt_serial_component.h"

namespace quadrel::testing {

using Bytes = std::vector<std::uint8_t>;
using Kind = SerialError::Kind;

constexpr int kTimeoutMs = 5000;

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The kind of SerialError that `f` throws; nothing when it throws none.
template <typename F>
std::optional<Kind> thrownKind(F&& f) {
    try {
        f();
    } catch (const SerialError& e) {
        return e.kind();
    }
    return std::nullopt;
}

class QtSerialComponentTest : public ::testing::Test {
protected:
    void SetUp() override { devices[1] = pty.slavePath(); }

    // The receive handler as the main window has it: one byte per event.
    void takeOneBytePerEvent() {
        port.setReceiveHandler([this] {
            log += 'e';
            events.push_back(port.CommEvent());
            if (events.back() != comm_event::Receive) return;
            if (const auto b = port.Input()) received.push_back(*b);
        });
        port.setBatchDoneHandler([this] { log += 'b'; });
    }

    bool waitForBytes(std::size_t n) {
        return QTest::qWaitFor([&] { return received.size() >= n; }, kTimeoutMs);
    }

    std::map<int, std::string> devices;
    QtSerialComponent port{[this](int n) {
        const auto it = devices.find(n);
        return it == devices.end() ? std::string() : it->second;
    }};
    Pty pty;
    Bytes received;
    std::vector<int> events;
    std::string log;  // 'e' per receive event, 'b' per finished batch
};

}  // namespace quadrel::testing
