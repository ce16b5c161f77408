#include "app/paint_log.h"

#include <QEvent>
#include <QLabel>

#include <time.h>

namespace quadrel {

std::unique_ptr<PaintLog> PaintLog::fromEnvironment(QWidget& mainWindow) {
    const QByteArray path = qgetenv("QUADREL_PAINT_LOG");
    if (path.isEmpty()) return nullptr;
    std::FILE* file = std::fopen(path.constData(), "a");
    if (!file) return nullptr;
    std::unique_ptr<PaintLog> log(new PaintLog(file));
    for (int k = 1; k <= 8; ++k)
        if (auto* in = mainWindow.findChild<QLabel*>(QString("In%1").arg(k))) in->installEventFilter(log.get());
    return log;
}

PaintLog::~PaintLog() { std::fclose(file_); }

bool PaintLog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint) {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC, &now);
        const auto* label = static_cast<QLabel*>(watched);
        std::fprintf(file_, "%lld %s %s\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                     qPrintable(label->objectName()), qPrintable(label->text()));
        std::fflush(file_);
    }
    return false;
}

}  // namespace quadrel
