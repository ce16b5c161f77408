// Qt adapters for what the core asks of the desktop: the beep, the timers
// and the cable window.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

#include "controls/control_state.h"
#include "form/platform.h"
#include "ui/cable_dialog.h"

namespace quadrel {

class QtBeeper : public Beeper {
public:
    void beep() override;
};

// Runs a QTimer as the core's TimerState says: on while Enabled, started
// afresh at every restart. Call sync() after anything may have changed it.
// The watchdog is restarted by nearly every received byte, so a restart only
// notes the time; the QTimer, once armed, finds out at its expiry whether
// the interval really ran out, and otherwise waits for the rest.
class TimerDriver : public QObject {
    Q_OBJECT

public:
    TimerDriver(TimerState& state, std::function<void()> onTick, QObject* parent = nullptr);
    void sync();

private:
    void noteRestart();
    void expire();

    TimerState& state_;
    std::function<void()> onTick_;
    QTimer timer_;
    QElapsedTimer started_;  // since the interval last started
    std::uint64_t seenStarts_;
};

// The cable window, created on first use, without an owner window; its
// close box discards it and the next showing creates it again.
class QtCableWindow : public CableWindow {
public:
    ~QtCableWindow() override;
    void show() override;
    void hide() override;
    CableDialog* dialog() const { return dialog_; }

private:
    void create();
    QPointer<CableDialog> dialog_;
};

}  // namespace quadrel
