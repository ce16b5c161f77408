#include "app/shutdown_signals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace quadrel {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int pipeFds[2] = {-1, -1};

// Async-signal-safe: one write, errno kept for the interrupted code.
void onSignal(int signalNumber) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(pipeFds[1], &byte, 1);
    errno = savedErrno;
}

}  // namespace

ShutdownSignals::ShutdownSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;  // then the default actions stay
    notifier_ = new QSocketNotifier(pipeFds[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &ShutdownSignals::onReadable);

    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
}

ShutdownSignals::~ShutdownSignals() {
    if (!notifier_) return;
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (int s : kSignals) ::sigaction(s, &action, nullptr);
    delete notifier_;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void ShutdownSignals::onReadable() {
    char bytes[16];
    ssize_t n = 0;
    int first = 0;
    while ((n = ::read(pipeFds[0], bytes, sizeof bytes)) > 0)
        if (!first) first = static_cast<unsigned char>(bytes[0]);
    if (first && !reported_) {
        reported_ = true;
        emit shutdownRequested(first);
    }
}

}  // namespace quadrel
