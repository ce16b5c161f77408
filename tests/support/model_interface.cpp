#include "model_interface.h"

namespace quadrel::testing {
namespace {

constexpr Time kFramePeriod{22'500};
constexpr Time kStartUp{450'000};  // from power to the first frame: a slow start

std::vector<std::uint8_t> frame(int j) {
    std::vector<std::uint8_t> out{255};
    for (int k = 0; k < 8; ++k)
        out.push_back(static_cast<std::uint8_t>(40 + (j * 3 + k * 20) % 180));
    return out;
}

}  // namespace

bool ModelLink::powered() const {
    switch (model_.power) {
        case ModelInterface::Power::Rts:
            return port_.rts;
        case ModelInterface::Power::Dtr:
            return port_.dtr;
        case ModelInterface::Power::Any:
            break;
    }
    return true;
}

std::vector<std::uint8_t> ModelLink::readUntil(Time now) {
    const bool listening = port_.isOpen() && port_.portNumber() == model_.port;
    const PortSettings settings{port_.portNumber(), port_.line(), port_.rts, port_.dtr};
    if (!listening || !powered() || model_.silent) {
        uart_.reset();
        heard_.reset();
        return {};
    }
    if (!heard_ || !uart_) nextFrame_ = now + kStartUp;  // just powered
    if (heard_ != settings) {
        // The port's UART set afresh: what it counted so far stays counted.
        if (uart_)
            counted_.framing += uart_->framingErrors(), counted_.parity += uart_->parityErrors();
        uart_ = std::make_unique<sim::UartLine>(model_.line, settings.line, model_.inverted);
        heard_ = settings;
    }
    for (; nextFrame_ <= now; nextFrame_ += kFramePeriod, ++frames_) {
        std::vector<std::uint8_t> bytes = frame(frames_);
        if (model_.noisy && frames_ % 4 == 3)
            bytes.push_back(static_cast<std::uint8_t>(frames_ % 200));
        uart_->send(1000.0 * static_cast<double>(nextFrame_.count()), bytes);
    }
    std::vector<std::uint8_t> read = uart_->receive(1000.0 * static_cast<double>(now.count()));
    if (model_.countsErrors)
        port_.errors = LineErrorCounts{counted_.framing + uart_->framingErrors(),
                                       counted_.parity + uart_->parityErrors(), 0, 0};
    return read;
}

}  // namespace quadrel::testing
