// SIGINT, SIGTERM and SIGHUP end the program as File > Exit does, so the
// user's choices are saved. The handler only writes to a pipe; the event
// loop reads it and asks for the exit.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace quadrel {

class ShutdownSignals : public QObject {
    Q_OBJECT

public:
    // Catches the signals from here on; one that arrives before the event
    // loop runs is reported once it does. One instance per process.
    explicit ShutdownSignals(QObject* parent = nullptr);
    ~ShutdownSignals() override;

signals:
    // Emitted once, for the first of the signals.
    void shutdownRequested(int signalNumber);

private:
    void onReadable();

    QSocketNotifier* notifier_ = nullptr;
    bool reported_ = false;
};

}  // namespace quadrel
