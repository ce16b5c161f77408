// The port settings dialog: the user picks port, baud rate, parity, data
// and stop bits from fixed lists, and ticks the RTS and DTR lines; "Ok"
// hands the choice to the program, which applies and stores it. It exists
// at most once: what it shows stays from one showing to the next, and only
// its close box discards it.
#pragma once

#include <array>
#include <string>

#include "serial/port_settings.h"

namespace quadrel {

enum class PortList { Port, Baud, Parity, DataBits, StopBits };
inline constexpr int kPortLists = 5;

class PortDialog {
public:
    static int entryCount(PortList list);
    // "19200", "N", "1.5", "3".
    static std::string entryText(PortList list, int index);

    bool exists() const { return exists_; }
    bool visible() const { return visible_; }

    // Shows it; created now, it shows `current`, or the usual entry where
    // its list has no such value (a hand-edited port 7, 38400 baud).
    void show(const PortSettings& current);
    void hide() { visible_ = false; }
    // The close box: it no longer exists. False when it did not.
    bool discard();

    int picked(PortList list) const { return picks_[index(list)]; }
    // An index past the list's entries is ignored.
    void pick(PortList list, int index);
    bool rts() const { return rts_; }
    bool dtr() const { return dtr_; }
    void setRts(bool on) { rts_ = on; }
    void setDtr(bool on) { dtr_ = on; }

    // "Default": the usual line settings and lines; the port stays.
    void restoreDefaults();
    // What the lists and boxes say.
    PortSettings choice() const;

private:
    static std::size_t index(PortList list) { return static_cast<std::size_t>(list); }

    bool exists_ = false;
    bool visible_ = false;
    std::array<int, kPortLists> picks_{};
    bool rts_ = false;
    bool dtr_ = false;
};

}  // namespace quadrel
