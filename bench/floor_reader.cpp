// The floor of the end-to-end benchmark: the least a Qt program can do with
// a serial stream. It opens the port as Quadrel does (19200,8N1, no flow
// control) and discards every byte that arrives.
#include <QCoreApplication>
#include <QSerialPort>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quadrel_floor_reader DEVICE\n");
        return 2;
    }
    QSerialPort port(QString::fromLocal8Bit(argv[1]));
    port.setBaudRate(QSerialPort::Baud19200);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    if (!port.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "quadrel_floor_reader: %s: %s\n", argv[1], qPrintable(port.errorString()));
        return 1;
    }
    QObject::connect(&port, &QSerialPort::readyRead, &port, [&port] { port.readAll(); });
    return app.exec();
}
