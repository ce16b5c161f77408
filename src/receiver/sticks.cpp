#include "receiver/sticks.h"

#include <algorithm>

namespace quadrel {
namespace {

// Which channel (1-based) feeds each stick function, per transmitter type.
// The Zhen Hua cable feeds function 3 with 100 - ch2 and is handled apart.
constexpr std::array<std::array<int, 4>, 4> kChannelOfFunction = {{
    {1, 2, 3, 4},  // JR
    {3, 1, 2, 4},  // Hitec/Futaba
    {4, 1, 2, 3},  // Multiplex/Robbe
    {3, 2, 1, 4},  // Sanwa/Airtronics
}};

// Which stick function feeds each marker axis, per mode.
constexpr std::array<std::array<int, 4>, 4> kFunctionOfAxis = {{
    {1, 2, 3, 4},  // Mode 1
    {3, 2, 1, 4},  // Mode 2
    {3, 4, 1, 2},  // Mode 3
    {1, 4, 3, 2},  // Mode 4
}};

}  // namespace

std::optional<int> throttleChannel(std::optional<TransmitterType> type) {
    if (!type) return std::nullopt;
    if (*type == TransmitterType::ZhenHua) return 1;  // the cable's channel 1 is function 1
    return kChannelOfFunction[static_cast<std::size_t>(*type) - 1][0];
}

void Sticks::update(std::array<std::optional<double>, 4> ch, const TransmitterSetup& setup) {
    // A clear reverse box shows the channel inverted.
    for (std::size_t k = 0; k < ch.size(); ++k)
        if (setup.reverse[k] == ReverseBox::Clear && ch[k]) ch[k] = 100.0 - *ch[k];

    // An absent channel gives its function 0.
    auto& f = functions_;
    if (setup.type == TransmitterType::ZhenHua) {
        f[0] = ch[0].value_or(0.0);
        f[1] = ch[2].value_or(0.0);
        if (ch[1]) f[2] = 100.0 - *ch[1];  // an absent channel 2 leaves it as it was
        f[3] = ch[3].value_or(0.0);
    } else if (setup.type) {
        const auto& row = kChannelOfFunction[static_cast<std::size_t>(*setup.type) - 1];
        for (std::size_t slot = 0; slot < f.size(); ++slot)
            f[slot] = ch[static_cast<std::size_t>(row[slot] - 1)].value_or(0.0);
    }

    if (setup.mode) {
        const auto& row = kFunctionOfAxis[static_cast<std::size_t>(*setup.mode) - 1];
        for (std::size_t axis = 0; axis < axes_.size(); ++axis)
            axes_[axis] = f[static_cast<std::size_t>(row[axis] - 1)];
    }
    for (double& a : axes_) a = std::clamp(a, 0.0, 100.0);

    positions_.right = {axes_[1], axes_[0]};
    positions_.left = {axes_[3], axes_[2]};
}

}  // namespace quadrel
