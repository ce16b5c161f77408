#include "app/paint_log.h"

#include <QEvent>
#include <QLabel>
#include <QPaintEvent>

#include <time.h>

namespace quadrel {

std::unique_ptr<PaintLog> PaintLog::fromEnvironment(QWidget& mainWindow) {
    const QByteArray path = qgetenv("QUADREL_PAINT_LOG");
    if (path.isEmpty()) return nullptr;
    std::FILE* file = std::fopen(path.constData(), "a");
    if (!file) return nullptr;
    auto* rows = mainWindow.findChild<QWidget*>(QStringLiteral("ChannelRows"));
    if (!rows) {
        std::fclose(file);
        return nullptr;
    }
    std::unique_ptr<PaintLog> log(new PaintLog(file));
    for (int k = 1; k <= 8; ++k)
        if (auto* in = mainWindow.findChild<QLabel*>(QString("In%1").arg(k)))
            log->values_.push_back(in);
    rows->installEventFilter(log.get());
    return log;
}

PaintLog::~PaintLog() {
    std::fclose(file_);
}

bool PaintLog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint) return false;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    const QRegion& painted = static_cast<QPaintEvent*>(event)->region();
    const QPoint origin = static_cast<QWidget*>(watched)->pos();
    for (const QLabel* in : values_) {
        if (!painted.intersects(in->geometry().translated(-origin))) continue;
        std::fprintf(file_, "%lld %s %s\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                     qPrintable(in->objectName()), qPrintable(in->text()));
    }
    std::fflush(file_);
    return false;
}

}  // namespace quadrel
