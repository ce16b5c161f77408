// What must hold after any event on the receiver, whatever arrived: values
// and widths that fit their ranges, bars and markers inside their travel, a
// cable format that the type and window agree with. Shared by the random
// run and the fuzzer.
#pragma once

#include <sstream>
#include <string>

#include "harness.h"

namespace quadrel::testing {

inline bool within(double v, double lo, double hi) {
    return v >= lo && v <= hi;
}

// An empty text when everything holds, otherwise what does not. A shown
// channel's width and bar must agree with the range learnt so far, except
// between a "Recalibrate" (which keeps the rows) and the next frame.
inline std::string brokenInvariants(const ReceiverHarness& h, bool rowsMatchRanges) {
    const ReceiverView& view = h.view();
    std::ostringstream p;
    for (int k = 1; k <= kChannels; ++k) {
        const ChannelRow& row = view.rows[k - 1];
        if (row.value && !within(*row.value, 0, 255))
            p << "value " << k << ' ' << *row.value << "; ";
        if (row.width && *row.width < 0) p << "width " << k << ' ' << *row.width << "; ";
        if (!within(row.bar, 0, 100) || row.bar != static_cast<int>(row.bar))
            p << "bar " << k << ' ' << row.bar << "; ";
        if (rowsMatchRanges && row.value) {
            const ChannelRange& range = h.receiver.range(k);
            if (*row.value < range.min || *row.value > range.max)
                p << "value " << k << " outside its range; ";
            if (row.width != range.width()) p << "width " << k << " for its range; ";
            if (row.bar != barValue(*row.value, range.min, range.max))
                p << "bar " << k << " for its range; ";
        }
    }
    for (const StickPosition& stick : {view.sticks.left, view.sticks.right})
        if (!within(stick.across, 0, 100) || !within(stick.down, 0, 100))
            p << "a stick outside its box; ";

    if (h.cable.visible != view.cableFormat)
        p << "cable window " << h.cable.visible << " with format " << view.cableFormat << "; ";
    if (view.cableFormat && view.setup.type != TransmitterType::ZhenHua)
        p << "cable format, other type; ";
    if (!view.noSignal && !h.receiver.watchdog().running())
        p << "watchdog off while data is shown; ";
    return p.str();
}

}  // namespace quadrel::testing
