// The settings search under any mix of reads, time, line error counts,
// ports that turn busy and cancels. However it goes: never more tries than
// it planned, never a step more than its longest listening ahead, an end
// by itself, and the port left as it was.
#include <algorithm>
#include <vector>

#include "check.h"
#include "fakes.h"
#include "search/settings_search.h"

using namespace quadrel;
using fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testing::FakeSerialPort port;
    const PortSettings before{2, {19200, Parity::None, 8, StopBits::One}, true, false};
    port.setPortNumber(before.port);
    port.setLine(before.line);
    port.rts = before.rts;
    port.open();
    SettingsSearch search(port);
    Time now{0};
    search.start(before, {1, 3, 7}, now);  // there is no COM 7

    for (std::size_t i = 0; i + 1 < size && search.running(); i += 2) {
        const std::uint8_t op = data[i], arg = data[i + 1];
        switch (op % 6) {
            case 0:
            case 1:  // a read: the input's next bytes
                search.feed({data + i + 1, std::min<std::size_t>(size - i - 1, 1 + arg % 64)}, now);
                break;
            case 2:
                now += std::chrono::milliseconds(arg * 4);
                search.advance(now);
                break;
            case 3:  // counts that may even go back, as after a reopen
                port.errors = LineErrorCounts{arg, arg / 2u, 0, 0};
                break;
            case 4:  // another program takes COM 1 or COM 3, or lets it go
                port.busyPorts = arg < 64 ? std::set<int>{arg % 2 ? 1 : 3} : std::set<int>{};
                break;
            default:
                if (arg < 8) search.cancel();
        }
        check(search.triesMade() <= search.mostTries(), "more tries than planned");
        const auto due = search.nextDeadline();
        check(!due || *due <= now + SettingsSearch::kLongest, "a step too far ahead");
    }
    for (int n = 0; search.running() && n < 200; ++n) {
        now = *search.nextDeadline();
        search.advance(now);
    }
    check(!search.running(), "the search never ended");
    check(port.isOpen() && port.portNumber() == before.port && port.line() == before.line &&
              port.rts == before.rts && port.dtr == before.dtr,
          "the port was not left as it was");
    return 0;
}
