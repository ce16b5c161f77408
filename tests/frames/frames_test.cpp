// Bytes in, channel rows out: the three frame layouts, where frames start and
// end, what each row shows and learns, when the Zhen Hua cable format comes and
// goes. Rows start with ten zeros in the window and "Hitec/Futaba" chosen.
#include <gtest/gtest.h>

#include <sstream>

#include "harness.h"

namespace quadrel::testing {
namespace {

// The cable's bit order, worked out here rather than taken from the program.
Bytes mirrored(const Bytes& in) {
    Bytes out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        for (int bit = 0; bit < 8; ++bit)
            out[i] |= static_cast<std::uint8_t>((in[i] >> bit & 1) << (7 - bit));
    return out;
}

// What the Zhen Hua cable sends: every byte but the sync mirrored.
Bytes cableFrame(std::initializer_list<int> channels) {
    return bytes({239}) + mirrored(bytes(channels));
}

// A part of the channel rows, channels 1 to 8: 'i' raw values, 'r' widths
// with their colour ("99r 100g -r"), 'b' bars, 'm' ranges ("min-max").
std::string rows(const ReceiverHarness& h, char part) {
    std::ostringstream out;
    for (int k = 1; k <= kChannels; ++k) {
        const ChannelRow& row = h.view().rows[k - 1];
        const auto text = [](std::optional<int> v) { return v ? std::to_string(*v) : "-"; };
        out << (k > 1 ? " " : "");
        if (part == 'i') out << text(row.value);
        if (part == 'r') out << text(row.width) << (row.width && *row.width >= 100 ? "g" : "r");
        if (part == 'b') out << row.bar;
        if (part == 'm') out << h.receiver.range(k).min << '-' << h.receiver.range(k).max;
    }
    return out.str();
}

// The cable format as the user sees it: the window and the chosen type.
std::string cableState(const ReceiverHarness& h) {
    std::ostringstream out;
    out << (h.view().cableFormat ? "cable" : "plain")
        << (h.cable.visible ? " shown x" : " hidden x") << h.cable.shows << " chosen "
        << static_cast<int>(h.view().setup.type.value_or(TransmitterType{}));
    return out.str();
}

const char* const kNever = "plain hidden x0 chosen 2";
const char* const kCable = "cable shown x1 chosen 5";
const char* const kLeft = "plain hidden x1 chosen 5";
const char* const kNone = "- - - - - - - -";

struct FrameCase {
    const char* name;
    Bytes in;
    const char* shown;        // In1..In8
    const char* resolutions;  // Res1..Res8 with colour; "" unchecked
    const char* bars;         // "" unchecked
    const char* ranges;       // "" unchecked
    const char* cable;
    bool restarts;  // the last byte restarted the watchdog
};

const Bytes kZhenHuaOn = bytes({239, 1, 2, 3, 4, 5, 6, 7, 8, 9});

// clang-format off
const FrameCase kFrames[] = {
    {"StandardEightChannelsSyncValuesIncluded", bytes({255, 0, 105, 127, 200, 239, 250, 254, 1, 9}),
     "0 105 127 200 239 250 254 1", "0r 0r 0r 0r 0r 0r 0r 0r", "0 0 0 0 0 0 0 0",
     "0-0 105-105 127-127 200-200 239-239 250-250 254-254 1-1", kNever, false},
    {"StandardFourChannelsEndMarkAndNextFrameLearnt", repeated(bytes({255, 120, 130, 140, 150}), 2),
     "120 130 140 150 - - - -", "0r 0r 0r 0r -r -r -r -r", "",
     "120-120 130-130 140-140 150-150 255-255 120-120 130-130 140-140", kNever, false},
    {"StandardEndMarkRightAfterTheSync", bytes({255, 255, 12, 13, 14, 15, 16, 17, 18, 19}), kNone,
     "-r -r -r -r -r -r -r -r", "", "255-255 12-12 13-13 14-14 15-15 16-16 17-17 18-18", kNever, false},
    {"NineBytesAreNotYetAFrame", bytes({255, 11, 12, 13, 14, 15, 16, 17, 18}), kNone, "", "", "", kNever, true},
    {"Oldest238IsNoSync", bytes({238, 11, 12, 13, 14, 15, 16, 17, 18, 19}), kNone, "", "", "", kNever, true},
    {"Oldest239IsZhenHua", bytes({239, 11, 12, 13, 14, 15, 16, 17, 18, 19}), "11 12 13 14 - - - -",
     "0r 0r 0r 0r -r -r -r -r", "", "11-11 12-12 13-13 14-14 1000-0 1000-0 1000-0 1000-0", kCable, true},
    {"Oldest254IsVariantTheByteAfterItUnread", bytes({254, 7, 10, 20, 30, 40, 50, 60, 70, 80}),
     "10 20 30 40 50 60 70 80", "0r 0r 0r 0r 0r 0r 0r 0r", "", "", kNever, false},
    {"VariantEndedBy240", bytes({245, 7, 10, 20, 240, 40, 50, 60, 70, 80}), "10 20 - - - - - -",
     "0r 0r -r -r -r -r -r -r", "", "10-10 20-20 240-240 40-40 50-50 60-60 70-70 80-80", kNever, false},
    {"RowsFollowTheLearntRange",
     bytes({255, 150, 0, 0, 9, 0, 120, 10, 200, 255, 50, 3, 9, 0, 238, 120, 109, 100,
            255, 150, 2, 7, 8, 119, 120, 10, 105, 255}),
     "150 2 7 8 119 120 10 105", "100g 3r 9r 9r 238g 0r 99r 100g", "100 66 78 89 50 0 0 5",
     "50-150 0-3 0-9 0-9 0-238 120-120 10-109 100-200", kNever, false},
    // The cable's five-byte packets back to back: every one shows, the
    // first two as they were received, before the cable was known.
    {"ZhenHuaPacketsBackToBackEveryOneShows",
     bytes({239, 1, 2, 3, 4}) + bytes({239, 5, 6, 7, 8}) + cableFrame({10, 20, 30, 40}) +
         cableFrame({11, 21, 31, 41}) + cableFrame({255, 0, 239, 250}) + cableFrame({12, 22, 32, 42}),
     "255 0 239 250 - - - -", "254g 21r 236g 246g -r -r -r -r", "100 0 100 100 0 0 0 0",
     "1-255 0-21 3-239 4-250 1000-0 1000-0 1000-0 1000-0", kCable, true},
    {"ZhenHuaEndedByAStandardFrame", kZhenHuaOn + mirrored(bytes({255, 10, 20, 30, 40, 255, 0, 0, 0, 0})),
     "10 20 30 40 - - - -", "", "", "", kLeft, false},
    {"ZhenHuaEndedByAVariantFrame", kZhenHuaOn + mirrored(bytes({245, 7, 10, 20, 30, 40, 50, 60, 70, 80})),
     "10 20 30 40 50 60 70 80", "", "", "", kLeft, false},
};
// clang-format on

void PrintTo(const FrameCase& c, std::ostream* os) {
    *os << c.name;
}

class Frames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(Frames, BytesInRowsOut) {
    const FrameCase& c = GetParam();
    ReceiverHarness h;
    h.receiver.setType(TransmitterType::HitecFutaba);
    h.wakeUp();
    h.receive(Bytes(c.in.begin(), c.in.end() - 1));
    h.clock.advance(1);
    const auto due = h.receiver.watchdog().due();
    h.receive({c.in.back()});

    EXPECT_EQ(rows(h, 'i'), c.shown);
    EXPECT_TRUE(!*c.resolutions || rows(h, 'r') == c.resolutions) << rows(h, 'r');
    EXPECT_TRUE(!*c.bars || rows(h, 'b') == c.bars) << rows(h, 'b');
    EXPECT_TRUE(!*c.ranges || rows(h, 'm') == c.ranges) << rows(h, 'm');
    EXPECT_EQ(cableState(h), c.cable);
    EXPECT_EQ(h.receiver.watchdog().due() != due, c.restarts);
}

INSTANTIATE_TEST_SUITE_P(Table, Frames, ::testing::ValuesIn(kFrames),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quadrel::testing
