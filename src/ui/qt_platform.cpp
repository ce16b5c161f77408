#include "ui/qt_platform.h"

#include <QApplication>

#include "ui/cable_dialog.h"
#include "ui/twips.h"

namespace quadrel {

void QtBeeper::beep() {
    QApplication::beep();
}

TimerDriver::TimerDriver(TimerState& state, std::function<void()> onTick, QObject* parent)
    : QObject(parent), state_(state), onTick_(std::move(onTick)), seenStarts_(state.starts()) {
    connect(&timer_, &QTimer::timeout, this, [this] { onTick_(); });
    if (state_.Enabled()) timer_.start(state_.Interval());
}

void TimerDriver::sync() {
    const bool restarted = state_.starts() != seenStarts_;
    seenStarts_ = state_.starts();
    if (!state_.Enabled() || state_.Interval() <= 0)
        timer_.stop();
    else if (restarted || !timer_.isActive())
        timer_.start(state_.Interval());
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
