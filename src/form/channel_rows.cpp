// Showing a decoded frame: each channel row, then the stick markers.
#include "form/main_form.h"

namespace quadrel {

void MainForm::showFrame(const DecodedFrame& frame) {
    for (int k = 0; k < frame.rangeChannels; ++k) ranges_[k].widen(frame.values[k]);
    channelPosition_.fill(ValueCell{});
    for (int k = 1; k <= kChannels; ++k) {
        if (k <= frame.presentChannels)
            ShowChannel(k, frame.values[k - 1]);
        else
            ShowChannelAbsent(k);
    }
    UpdateStickPosition();
}

void MainForm::ShowChannel(int k, std::uint8_t v) {
    const ChannelRange& range = ranges_[k - 1];
    LabelState& res = state_.Res(k);
    res.Caption.setNumber(range.resolution());
    res.BackColor = resolutionColor(range.resolution());
    state_.In(k).Caption.setNumber(v);
    BarState& bar = state_.ProgressBar(k);
    bar.Value = barValue(v, range.Min, range.Max);
    channelPosition_[k - 1] = ValueCell::number(bar.Value);
}

void MainForm::ShowChannelAbsent(int k) {
    state_.In(k).Caption = "-";
    channelPosition_[k - 1] = ValueCell::absent();
}

void MainForm::UpdateStickPosition() {
    StickControls controls;
    for (int k = 1; k <= 4; ++k) controls.reverse[k - 1] = state_.Check(k).Value();
    controls.type = state_.Option.selected();
    controls.mode = state_.Mode.selected();
    const StickMarkers markers = stickMarkers(
        {channelPosition_[0], channelPosition_[1], channelPosition_[2], channelPosition_[3]},
        controls, sticks_);
    state_.Ball1 = markers.Ball1;
    state_.Ball2 = markers.Ball2;
}

}  // namespace quadrel
