// The floors of the end-to-end benchmark: the least a Qt program can do with
// a serial stream. It opens the port as Quadrel does (19200,8N1, no flow
// control) and discards every byte that arrives. With --show it also keeps
// a window showing how many bytes came, brought up to date at most once per
// display frame as Quadrel's is: the least a program with a window does.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QScreen>
#include <QSerialPort>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    const bool show = argc == 3 && std::strcmp(argv[1], "--show") == 0;
    if (argc != 2 && !show) {
        std::fprintf(stderr, "usage: quadrel_floor_reader [--show] DEVICE\n");
        return 2;
    }
    const char* device = argv[argc - 1];
    std::unique_ptr<QCoreApplication> app;
    if (show)
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QSerialPort port(QString::fromLocal8Bit(device));
    port.setBaudRate(QSerialPort::Baud19200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quadrel_floor_reader: %s: %s\n", device,
                     qPrintable(port.errorString()));
        return 1;
    }
    if (!show) {
        QObject::connect(&port, &QSerialPort::readyRead, &port, [&port] { port.readAll(); });
        return app->exec();
    }

    QLabel label(QStringLiteral("0"));
    label.resize(200, 40);
    label.show();
    qint64 bytes = 0;
    QTimer pace;
    pace.setSingleShot(true);
    pace.setTimerType(Qt::PreciseTimer);
    QElapsedTimer sincePaint;
    QObject::connect(&pace, &QTimer::timeout, &label, [&] {
        sincePaint.start();
        label.setText(QString::number(bytes));
    });
    QObject::connect(&port, &QSerialPort::readyRead, &port, [&] {
        bytes += port.readAll().size();
        if (pace.isActive()) return;
        const double hz = label.screen() && label.screen()->refreshRate() >= 24
                              ? label.screen()->refreshRate()
                              : 60.0;
        const qint64 frameMs = static_cast<qint64>(1000.0 / hz);
        const qint64 since = sincePaint.isValid() ? sincePaint.elapsed() : frameMs;
        pace.start(static_cast<int>(std::max<qint64>(0, frameMs - since)));
    });
    return app->exec();
}
