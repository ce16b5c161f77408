// End to end through a pseudo-terminal: a writer thread plays a standard
// 8-channel stream into the master side as fast as the kernel takes it, and
// the program's serial port and receiver take it from the slave
// side on the event loop. "RawRead" reads the same stream with plain read()
// calls and no processing: the ratio tells what Quadrel costs on top of the
// system's own pseudo-terminal path.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <thread>
#include <vector>

#include "receiver/receiver.h"
#include "serial/qt_serial_port.h"

namespace quadrel {
namespace {

constexpr std::size_t kStreamBytes = 1 << 20;

struct Pty {
    int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    std::string slave;
    Pty() {
        ::grantpt(master);
        ::unlockpt(master);
        slave = ::ptsname(master);
    }
    ~Pty() { ::close(master); }
};

std::vector<std::uint8_t> standardStream() {
    std::vector<std::uint8_t> s;
    for (int f = 0; s.size() < kStreamBytes; ++f) {
        s.push_back(255);
        for (int k = 0; k < 8; ++k)
            s.push_back(static_cast<std::uint8_t>(40 + (f * 3 + k * 17) % 180));
    }
    s.resize(kStreamBytes);
    return s;
}

void writeAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const auto n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

struct NoBeep : Beeper {
    void beep() override {}
};
struct NoWindow : CableWindow {
    void show() override {}
    void hide() override {}
};

void RawRead(benchmark::State& state) {
    const auto stream = standardStream();
    for (auto _ : state) {
        Pty pty;
        const int fd = ::open(pty.slave.c_str(), O_RDWR | O_NOCTTY);
        termios raw{};
        ::tcgetattr(fd, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(fd, TCSANOW, &raw);
        std::thread writer(writeAll, pty.master, std::cref(stream));
        std::vector<std::uint8_t> buffer(4096);
        std::size_t got = 0;
        while (got < stream.size()) {
            const auto n = ::read(fd, buffer.data(), buffer.size());
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        writer.join();
        ::close(fd);
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations() * kStreamBytes));
}

void ThroughQuadrel(benchmark::State& state) {
    const auto stream = standardStream();
    for (auto _ : state) {
        Pty pty;
        QtSerialPort port([&pty](int) { return pty.slave; });
        NoBeep beep;
        NoWindow cable;
        Receiver receiver(cable, beep);
        receiver.setMode(StickMode::Two);
        receiver.setType(TransmitterType::JR);
        std::size_t taken = 0;
        QEventLoop loop;
        port.setReadHandler([&](std::span<const std::uint8_t> bytes) {
            receiver.feed(bytes, Time(0));
            taken += bytes.size();
            if (taken == stream.size()) loop.quit();
        });
        port.open();
        std::thread writer(writeAll, pty.master, std::cref(stream));
        loop.exec();
        writer.join();
        port.close();
        benchmark::DoNotOptimize(receiver.view().rows[0].value);
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations() * kStreamBytes));
}

BENCHMARK(RawRead)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ThroughQuadrel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace quadrel

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
