#include "ui/qt_platform.h"

#include <QApplication>

#include <algorithm>

#include "ui/cable_dialog.h"
#include "ui/twips.h"

namespace quadrel {

void QtBeeper::beep() {
    QApplication::beep();
}

TimerDriver::TimerDriver(TimerState& state, std::function<void()> onTick, QObject* parent)
    : QObject(parent), state_(state), onTick_(std::move(onTick)), seenStarts_(state.starts()) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &TimerDriver::expire);
    started_.start();
    sync();
}

void TimerDriver::noteRestart() {
    if (state_.starts() == seenStarts_) return;
    seenStarts_ = state_.starts();
    started_.start();
}

void TimerDriver::sync() {
    if (!state_.Enabled() || state_.Interval() <= 0) {
        timer_.stop();
        seenStarts_ = state_.starts();
        return;
    }
    noteRestart();
    if (!timer_.isActive())
        timer_.start(static_cast<int>(std::max<qint64>(0, state_.Interval() - started_.elapsed())));
}

void TimerDriver::expire() {
    if (!state_.Enabled() || state_.Interval() <= 0) {
        sync();
        return;
    }
    noteRestart();
    const qint64 rest = state_.Interval() - started_.elapsed();
    if (rest > 0) {  // restarted since it was armed
        timer_.start(static_cast<int>(rest));
        return;
    }
    // A whole interval without a restart: tick, and start the next one.
    started_.start();
    timer_.start(state_.Interval());
    onTick_();
}

QtCableWindow::~QtCableWindow() {
    delete dialog_.data();
}

void QtCableWindow::create() {
    if (dialog_) return;
    dialog_ = new CableDialog();
    dialog_->setAttribute(Qt::WA_DeleteOnClose);  // the close box discards it
    // Its first position is the design one: 585, 3390 twips from the screen's corner.
    dialog_->move(twipsToPixels(585), twipsToPixels(3390));
}

void QtCableWindow::show() {
    create();
    dialog_->show();
    dialog_->raise();
}

void QtCableWindow::hide() {
    create();
    dialog_->hide();
}

}  // namespace quadrel
