// The receiver under any mix of bytes, time, clicks and choices. Every input
// byte is one event, chosen by its high bits; the invariants are checked
// after each. A twin receiver gets the same bytes in reads of several, as
// the serial port delivers them, and must show exactly the same once each
// read is taken.
#include "check.h"
#include "receiver_invariants.h"

using namespace quadrel;
using testing::ReceiverHarness;

namespace {

// Codes below 0xE0 are bytes: 0x00..0x1F stand for the sync range
// 0xE0..0xFF, the rest for themselves.
std::uint8_t byteOf(std::uint8_t code) {
    return code < 0x20 ? static_cast<std::uint8_t>(0xE0 + code) : code;
}

// What the user does; while the cable fixes the type it cannot be changed.
void userStep(ReceiverHarness& h, std::uint8_t op, std::uint8_t arg) {
    switch (op & 0x07) {
        case 0:
            h.clock.advance(arg * 4);
            break;
        case 1:
            h.receiver.calibrate();
            break;
        case 2:
            h.receiver.recalibrate();
            break;
        case 3:
            h.receiver.setReverse(1 + arg % 4, static_cast<ReverseBox>(arg / 4 % 3));
            break;
        case 4:
            h.receiver.setMode(static_cast<StickMode>(1 + arg % 4));
            break;
        case 5: {
            const auto type = static_cast<TransmitterType>(1 + arg % 5);
            if (!h.view().cableFormat || type == TransmitterType::ZhenHua) h.receiver.setType(type);
            break;
        }
        case 6:
            h.receiver.calibrateLater(h.clock.now());
            break;
        default:
            h.receive({});
            break;  // an empty read
    }
}

// Frames heard by the joystick: at most one per byte, each whole.
struct FrameCheck : FrameListener {
    int sinceByte = 0;
    void frameComplete(const DecodedFrame& frame, const std::array<ChannelRange, 8>&) override {
        fuzz::check(++sinceByte == 1, "two frames heard after one byte");
        fuzz::check(frame.presentChannels >= 0 && frame.presentChannels <= 8 &&
                        frame.rangeChannels == frame.presentChannels,
                    "a frame heard with channels it does not have");
    }
    void signalLost() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReceiverHarness eager, batched;
    LinkMonitor link;
    eager.receiver.setLinkMonitor(&link);
    FrameCheck heard;
    eager.receiver.setFrameListener(&heard);
    testing::Bytes pending;  // the twin's read so far
    bool recalibrated = false;

    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t op = data[i];
        heard.sinceByte = 0;
        if (op < 0xE0) {  // most events carry a byte: frames need runs of them
            eager.receive({byteOf(op)});
            pending.push_back(byteOf(op));
            if (eager.receiver.frameWindow()[0] >= 239) recalibrated = false;
        } else {
            const std::uint8_t arg = i + 1 < size ? data[++i] : 0;
            // Only bytes come in a read: anything else ends it first.
            batched.receive(pending);
            pending.clear();
            fuzz::check(eager.view() == batched.view(),
                        "a read showed other than its bytes one by one");
            if ((op & 0x08) == 0) {  // otherwise the read just ended
                userStep(eager, op, arg);
                userStep(batched, op, arg);
                recalibrated |= (op & 0x07) == 2;
            }
        }
        const std::string broken = testing::brokenInvariants(eager, !recalibrated);
        fuzz::check(broken.empty(), broken.c_str());
    }
    (void)link.report(eager.clock.now().count());
    return 0;
}
