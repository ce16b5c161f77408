// The receive path under any mix of bytes, timer ticks, clicks, choices,
// line errors and empty or failing reads. Every input byte is one event,
// chosen by its high bits; the invariants are checked after each. A twin
// form gets the same events in batches, as the serial port delivers them,
// and must show exactly the same at the end of each batch.
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <utility>

#include "invariants.h"
#include "virtual_clock.h"

using namespace quadrel;

namespace {

struct Rig {
    testing::FakeSerialPort port;
    testing::FakeBeeper beeper;
    testing::FakeCableWindow cable;
    MainForm form{port, cable, beeper};
    LinkMonitor link;
    Rig() { form.setLinkMonitor(&link); }
};

// Codes below 0xE0 are bytes: 0x00..0x1F stand for the sync range
// 0xE0..0xFF, the rest for themselves; bytes below 0x20 come only from
// failing reads (as 0).
std::uint8_t byteOf(std::uint8_t code) {
    return code < 0x20 ? static_cast<std::uint8_t>(0xE0 + code) : code;
}

void receive(Rig& r, std::optional<std::uint8_t> byte, bool failing = false) {
    r.port.pending.clear();
    if (byte) r.port.pending.push_back(*byte);
    r.port.failNextInput = failing;
    r.port.event = comm_event::Receive;
    r.form.MSComm1_OnComm();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Rig eager, batched;
    testing::VirtualClock clock;
    for (Rig* r : {&eager, &batched}) {
        MainForm& form = r->form;
        clock.add(form.state().Timer1, [&form] { form.Timer1_Timer(); });
        clock.add(form.state().Timer2, [&form] { form.Timer2_Timer(); });
    }
    bool inBatch = false;

    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t op = data[i];
        const std::uint8_t arg = i + 1 < size ? data[i + 1] : 0;
        // Only received bytes come in a batch: anything else ends it first.
        const bool byteEvent = op < 0xE0 || (op & 0x0F) == 6 || (op & 0x0F) == 7 || (op & 0x0F) == 8;
        if (inBatch && !byteEvent) {
            batched.form.endReceiveBatch();
            inBatch = false;
        }
        if (op >= 0xE0) ++i;
        for (Rig* r : {&eager, &batched}) {
            MainForm& form = r->form;
            if (op < 0xE0) {  // most events carry a byte: frames need runs of them
                receive(*r, byteOf(op));
                continue;
            }
            auto ui = [&form]() -> MainWindowState& { return form.state(); };
            switch (op & 0x0F) {
                case 0: if (r == &eager) clock.advance(arg * 4); break;
                case 1: form.Command1_Click(); break;
                case 2: form.SCal_Click(); break;
                case 3: ui().Check(1 + arg % 4).setValue(arg / 4 % 3); break;
                case 4: ui().Mode.setValue(1 + arg % 4, true); break;
                case 5:
                    if (ui().Option(1 + arg % 5).Enabled) ui().Option.setValue(1 + arg % 5, true);
                    break;
                case 6:
                    r->port.event = arg % 2 ? comm_event::Overrun : comm_event::RxParity;
                    form.MSComm1_OnComm();
                    break;
                case 7: receive(*r, std::nullopt); break;  // nothing waiting: the read is empty
                case 8: receive(*r, std::nullopt, true); break;
                case 9:
                    if (r == &batched && !inBatch) {
                        form.beginReceiveBatch();
                        inBatch = true;
                    }
                    break;
                default: r->link.beginRead(clock.now() * 1000, arg); break;
            }
        }
        for (Rig* r : {&eager, &batched}) {
            const std::string broken = fuzz::brokenInvariants(r->form, r->cable);
            if (!broken.empty()) {
                std::fprintf(stderr, "after event %zu: %s\n", i, broken.c_str());
                std::abort();
            }
        }
        if (!inBatch && std::as_const(eager.form).state() != std::as_const(batched.form).state()) {
            std::fprintf(stderr, "after event %zu: a batch ended showing other than each frame at once\n", i);
            std::abort();
        }
    }
    (void)eager.link.report(clock.now() * 1000);
    return 0;
}
