// Showing decoded frames: each channel row, then the stick markers. A frame
// is noted, then shown at once or, within a batch of receive events, at the
// batch's end.
#include <algorithm>
#include <utility>

#include "form/main_form.h"

namespace quadrel {

void MainForm::showFrame(const DecodedFrame& frame) {
    for (int k = 0; k < frame.rangeChannels; ++k) ranges_[k].widen(frame.values[k]);
    for (int k = 0; k < frame.presentChannels; ++k) shown_[k] = {frame.values[k], ranges_[k]};
    pendingChannels_ = frame.presentChannels;
    pendingWidest_ = std::max(pendingWidest_, frame.presentChannels);
    if (!batching_) showFrames();
}

// What showing each noted frame in turn leaves: a row shows its channel's
// last value with the range as of then; "-" unless the last frame has it.
// The controls are those of every noted frame: a user's change comes through
// state(), which shows the frames first; the cable format's type comes with
// a frame of four channels, which sets every stick function.
void MainForm::showFrames() {
    const int present = std::exchange(pendingChannels_, -1);
    const int widest = std::exchange(pendingWidest_, 0);
    for (int k = 1; k <= kChannels; ++k) {
        if (k <= widest) ShowChannel(k);
        if (k > present) ShowChannelAbsent(k);
    }
    // Channel 2 feeds stick function 3 of the Zhen Hua type, which a frame
    // without it leaves as it was: an earlier frame's channel 2 goes in first.
    // Whatever else that sets, the last frame sets again.
    if (widest >= 2 && present < 2) {
        const ValueCell none = ValueCell::absent();
        moveSticks({none, ValueCell::number(state_.ProgressBar(2).Value), none, none});
    }
    UpdateStickPosition();
}

void MainForm::ShowChannel(int k) {
    const ShownValue& shown = shown_[k - 1];
    LabelState& res = state_.Res(k);
    res.Caption.setNumber(shown.range.resolution());
    res.BackColor = resolutionColor(shown.range.resolution());
    state_.In(k).Caption.setNumber(shown.value);
    BarState& bar = state_.ProgressBar(k);
    bar.Value = barValue(shown.value, shown.range.Min, shown.range.Max);
    channelPosition_[k - 1] = ValueCell::number(bar.Value);
}

void MainForm::ShowChannelAbsent(int k) {
    state_.In(k).Caption = "-";
    channelPosition_[k - 1] = ValueCell::absent();
}

void MainForm::UpdateStickPosition() {
    moveSticks({channelPosition_[0], channelPosition_[1], channelPosition_[2], channelPosition_[3]});
}

void MainForm::moveSticks(const std::array<ValueCell, 4>& channels) {
    StickControls controls;
    for (int k = 1; k <= 4; ++k) controls.reverse[k - 1] = state_.Check(k).Value();
    controls.type = state_.Option.selected();
    controls.mode = state_.Mode.selected();
    const StickMarkers markers = stickMarkers(channels, controls, sticks_);
    state_.Ball1 = markers.Ball1;
    state_.Ball2 = markers.Ball2;
}

}  // namespace quadrel
