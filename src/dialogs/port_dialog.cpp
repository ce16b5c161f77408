#include "dialogs/port_dialog.h"

namespace quadrel {
namespace {

constexpr int kPorts[] = {1, 2, 3, 4};
constexpr int kBauds[] = {9600, 19200};
constexpr Parity kParities[] = {Parity::Even, Parity::Mark, Parity::None, Parity::Odd,
                                Parity::Space};
constexpr int kDataBits[] = {4, 5, 6, 7, 8};
constexpr StopBits kStopBits[] = {StopBits::One, StopBits::OneAndHalf, StopBits::Two};

// The entry of `list` holding `value`; `fallback` where none does.
template <typename T, std::size_t N>
int indexOf(const T (&entries)[N], const T& value, int fallback) {
    for (std::size_t i = 0; i < N; ++i)
        if (entries[i] == value) return static_cast<int>(i);
    return fallback;
}

constexpr LineSettings kUsualLine;  // 19200,N,8,1
constexpr PortSettings kUsual;      // RTS on, DTR off

}  // namespace

int PortDialog::entryCount(PortList list) {
    switch (list) {
        case PortList::Port:
            return static_cast<int>(std::size(kPorts));
        case PortList::Baud:
            return static_cast<int>(std::size(kBauds));
        case PortList::Parity:
            return static_cast<int>(std::size(kParities));
        case PortList::DataBits:
            return static_cast<int>(std::size(kDataBits));
        case PortList::StopBits:
            return static_cast<int>(std::size(kStopBits));
    }
    return 0;
}

std::string PortDialog::entryText(PortList list, int i) {
    const auto at = static_cast<std::size_t>(i);
    switch (list) {
        case PortList::Port:
            return std::to_string(kPorts[at]);
        case PortList::Baud:
            return std::to_string(kBauds[at]);
        case PortList::Parity:
            return std::string(1, parityLetter(kParities[at]));
        case PortList::DataBits:
            return std::to_string(kDataBits[at]);
        case PortList::StopBits:
            return stopBitsText(kStopBits[at]);
    }
    return {};
}

void PortDialog::show(const PortSettings& current) {
    if (!exists_) {
        exists_ = true;
        picks_[index(PortList::Port)] = indexOf(kPorts, current.port, 0);
        picks_[index(PortList::Baud)] =
            indexOf(kBauds, current.line.baud, indexOf(kBauds, kUsualLine.baud, 0));
        picks_[index(PortList::Parity)] =
            indexOf(kParities, current.line.parity, indexOf(kParities, kUsualLine.parity, 0));
        picks_[index(PortList::DataBits)] =
            indexOf(kDataBits, current.line.dataBits, indexOf(kDataBits, kUsualLine.dataBits, 0));
        picks_[index(PortList::StopBits)] =
            indexOf(kStopBits, current.line.stopBits, indexOf(kStopBits, kUsualLine.stopBits, 0));
        rts_ = current.rts;
        dtr_ = current.dtr;
    }
    visible_ = true;
}

bool PortDialog::discard() {
    if (!exists_) return false;
    exists_ = visible_ = false;
    picks_ = {};
    rts_ = dtr_ = false;
    return true;
}

void PortDialog::pick(PortList list, int i) {
    if (i >= 0 && i < entryCount(list)) picks_[index(list)] = i;
}

void PortDialog::restoreDefaults() {
    picks_[index(PortList::Baud)] = indexOf(kBauds, kUsualLine.baud, 0);
    picks_[index(PortList::Parity)] = indexOf(kParities, kUsualLine.parity, 0);
    picks_[index(PortList::DataBits)] = indexOf(kDataBits, kUsualLine.dataBits, 0);
    picks_[index(PortList::StopBits)] = indexOf(kStopBits, kUsualLine.stopBits, 0);
    rts_ = kUsual.rts;
    dtr_ = kUsual.dtr;
}

PortSettings PortDialog::choice() const {
    const auto at = [this](PortList list) { return static_cast<std::size_t>(picked(list)); };
    return {kPorts[at(PortList::Port)],
            {kBauds[at(PortList::Baud)], kParities[at(PortList::Parity)],
             kDataBits[at(PortList::DataBits)], kStopBits[at(PortList::StopBits)]},
            rts_,
            dtr_};
}

}  // namespace quadrel
