// The receive path under any mix of bytes, timer ticks, clicks, choices,
// line errors and empty or failing reads. Every input byte is one event,
// chosen by its high bits; the invariants are checked after each.
#include <cstdio>
#include <cstdlib>

#include "invariants.h"
#include "virtual_clock.h"

using namespace quadrel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testing::FakeSerialPort port;
    testing::FakeBeeper beeper;
    testing::FakeCableWindow cable;
    MainForm form(port, cable, beeper);
    LinkMonitor link;
    form.setLinkMonitor(&link);
    testing::VirtualClock clock;
    clock.add(form.state().Timer1, [&] { form.Timer1_Timer(); });
    clock.add(form.state().Timer2, [&] { form.Timer2_Timer(); });
    MainWindowState& ui = form.state();

    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t op = data[i];
        const std::uint8_t arg = i + 1 < size ? data[i + 1] : 0;
        if (op < 0xE0) {  // most events carry a byte: frames need runs of them
            port.pending.push_back(op < 0x70 ? static_cast<std::uint8_t>(op * 2 + 31) : op);
            port.event = comm_event::Receive;
            form.MSComm1_OnComm();
        } else {
            ++i;
            switch (op & 0x0F) {
                case 0: clock.advance(arg * 4); break;
                case 1: form.Command1_Click(); break;
                case 2: form.SCal_Click(); break;
                case 3: ui.Check(1 + arg % 4).setValue(arg / 4 % 3); break;
                case 4: ui.Mode.setValue(1 + arg % 4, true); break;
                case 5:
                    if (ui.Option(1 + arg % 5).Enabled) ui.Option.setValue(1 + arg % 5, true);
                    break;
                case 6:
                    port.event = arg % 2 ? comm_event::Overrun : comm_event::RxParity;
                    form.MSComm1_OnComm();
                    break;
                case 7:  // nothing waiting: the read is empty
                    port.pending.clear();
                    port.event = comm_event::Receive;
                    form.MSComm1_OnComm();
                    break;
                case 8:
                    port.failNextInput = true;
                    port.event = comm_event::Receive;
                    form.MSComm1_OnComm();
                    break;
                default: link.setTime(clock.now()); break;
            }
        }
        const std::string broken = fuzz::brokenInvariants(form, cable);
        if (!broken.empty()) {
            std::fprintf(stderr, "after event %zu: %s\n", i, broken.c_str());
            std::abort();
        }
    }
    (void)link.report(clock.now());
    return 0;
}
