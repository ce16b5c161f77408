// Qt adapters for what the core asks of the desktop: the beep, the time
// things fall due and the cable window.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>

#include "receiver/receiver.h"
#include "ui/cable_dialog.h"

namespace quadrel {

class QtBeeper : public Beeper {
public:
    void beep() override;
};

// Serves the core's next deadline with one single-shot QTimer, armed for
// the earliest due time. The watchdog moves later with nearly every read:
// a timer armed for an earlier time is left alone, and when it fires
// before anything is due the core has nothing to do, and it is armed again
// for what is left.
class DeadlineTimer : public QObject {
    Q_OBJECT

public:
    DeadlineTimer(std::function<Time()> now, std::function<void(Time now)> onDue,
                  QObject* parent = nullptr);
    // After anything may have moved the next deadline.
    void follow(std::optional<Time> next);

private:
    std::function<Time()> now_;
    std::function<void(Time)> onDue_;
    QTimer timer_;
    std::optional<Time> armedFor_;
};

// The cable window, created on first use, without an owner window; its
// close box discards it and the next showing creates it again. A stream can
// switch the cable format on and off every few bytes: show and hide only
// note the wish, and apply() makes the last one real, at the screen's pace.
class QtCableWindow : public CableWindow {
public:
    ~QtCableWindow() override;
    void show() override { wanted_ = true; }
    void hide() override { wanted_ = false; }
    void apply();
    CableDialog* dialog() const { return dialog_; }

private:
    void create();
    QPointer<CableDialog> dialog_;
    std::optional<bool> wanted_;  // shown or hidden since the last apply
};

}  // namespace quadrel
