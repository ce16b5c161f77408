#include "channels/channel_display.h"

namespace quadrel {

float BarValueCache::learn(std::uint8_t v, int min, int max) {
    if (min != min_ || max != max_) {
        min_ = min;
        max_ = max;
        known_.reset();
    }
    known_.set(v);
    return values_[v] = barValue(v, min, max);
}

}  // namespace quadrel
