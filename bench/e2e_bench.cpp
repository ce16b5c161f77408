// End to end: the real program in a real X server (an Xvfb of our own),
// fed standard 8-channel frames (or, to drain, random bytes or 239 and 255
// alternating) through a pseudo-terminal, beside a floor reader (a Qt
// program that only discards the bytes) fed the same way in the same run.
// For each stream it prints the CPU of both, their ratio and the program's
// resident memory, and for the paced streams the ratio to a floor that also
// keeps a window up to date at the screen's pace; then the time from a
// frame's write to the In1 label painting its value, read from the
// program's QUADREL_PAINT_LOG. With --joystick, the program also runs with its
// joystick output on (events to /dev/null) beside itself with it off.
//
//   quadrel_e2e_bench [--program PATH] [--floor PATH] [--streams abcdefg]
//                     [--window S] [--warmup S] [--rounds N]
//                     [--latency S | --no-latency] [--perf-dir DIR] [--joystick]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kMs = 1'000'000;
constexpr int kFrameBytes = 9;  // 255, then channels 1 to 8

std::int64_t now() {
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * kSecond + t.tv_nsec;
}

// ---- Cleanup: every child and folder goes, however the bench ends --------

volatile sig_atomic_t gSignal = 0;
std::vector<pid_t> gChildren;  // each the leader of its own process group
std::vector<fs::path> gFolders;

void onSignal(int sig) {
    gSignal = sig;
}

bool reap(pid_t pid, std::int64_t within) {
    const std::int64_t end = now() + within;
    do {
        if (::waitpid(pid, nullptr, WNOHANG) != 0) return true;
        ::usleep(10'000);
    } while (now() < end);
    return false;
}

void forget(pid_t pid) {
    std::erase(gChildren, pid);
}

// SIGTERM first (Quadrel saves its choices and ends, Xvfb removes its lock).
void stopChild(pid_t pid, int sig = SIGTERM, std::int64_t grace = 3 * kSecond) {
    ::kill(-pid, sig);
    if (!reap(pid, grace)) {
        ::kill(-pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    ::kill(-pid, SIGKILL);  // anything the child left in its group
    forget(pid);
}

void cleanUp() {
    while (!gChildren.empty()) stopChild(gChildren.back());
    for (const fs::path& f : gFolders) {
        std::error_code ignored;
        fs::remove_all(f, ignored);
    }
    gFolders.clear();
}

void checkInterrupted() {
    if (gSignal) {
        std::fprintf(stderr, "\ne2e bench: interrupted, cleaning up\n");
        std::exit(128 + gSignal);  // cleanUp runs at exit
    }
}

[[noreturn]] void die(const std::string& why) {
    std::fprintf(stderr, "e2e bench: %s\n", why.c_str());
    std::exit(1);
}

void sleepFor(std::int64_t ns) {
    const std::int64_t until = now() + ns;
    timespec t{static_cast<time_t>(until / kSecond), static_cast<long>(until % kSecond)};
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR)
        checkInterrupted();
}

struct Spawn {
    std::vector<std::string> argv;
    std::map<std::string, std::optional<std::string>> env;  // nullopt: unset
    fs::path log;
    int passFd = -1;  // becomes the child's fd 3
};

pid_t spawn(const Spawn& s) {
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) {
        const std::string kv = *e;
        if (!s.env.contains(kv.substr(0, kv.find('=')))) envStrings.push_back(kv);
    }
    for (const auto& [k, v] : s.env)
        if (v) envStrings.push_back(k + "=" + *v);
    std::vector<char*> argv, envp;
    for (const auto& a : s.argv) argv.push_back(const_cast<char*>(a.c_str()));
    for (const auto& e : envStrings) envp.push_back(const_cast<char*>(e.c_str()));
    argv.push_back(nullptr);
    envp.push_back(nullptr);

    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) die("fork failed");
    if (pid == 0) {
        ::setpgid(0, 0);
        // Gone with the bench even if it is killed outright; SIGTERM lets
        // Xvfb remove its socket and lock.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(127);
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(s.log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(out, 2);
        if (s.passFd >= 0) {
            if (s.passFd == 3)
                ::fcntl(3, F_SETFD, 0);
            else
                ::dup2(s.passFd, 3);
        }
        ::execvpe(argv[0], argv.data(), envp.data());
        std::fprintf(stderr, "cannot run %s: %s\n", argv[0], std::strerror(errno));
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    gChildren.push_back(pid);
    return pid;
}

bool alive(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == 0;
}

std::string tail(const fs::path& file, std::size_t lines = 5) {
    std::ifstream in(file);
    std::vector<std::string> all;
    for (std::string l; std::getline(in, l);) all.push_back(l);
    std::string out;
    for (std::size_t i = all.size() > lines ? all.size() - lines : 0; i < all.size(); ++i)
        out += "    " + all[i] + "\n";
    return out;
}

// ---- What a process costs ------------------------------------------------

// On-CPU nanoseconds of each thread (/proc/PID/task/TID/schedstat), which
// unlike utime and stime in /proc/PID/stat is not counted in 10 ms ticks:
// the floor uses a few milliseconds in a whole window.
std::map<int, std::int64_t> threadCpu(pid_t pid) {
    std::map<int, std::int64_t> cpu;
    std::error_code ec;
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", ec)) {
        std::ifstream in(task.path() / "schedstat");
        long long ns = 0;
        if (in >> ns) cpu[std::stoi(task.path().filename())] = ns;
    }
    return cpu;
}

// utime + stime of the whole process in nanoseconds (exited threads included).
std::int64_t statCpu(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stoll(field);
        if (i == 15) stime = std::stoll(field);
    }
    return (utime + stime) * kSecond / ::sysconf(_SC_CLK_TCK);
}

struct CpuMark {
    std::map<int, std::int64_t> threads;
    std::int64_t stat = 0;
    std::int64_t at = 0;
};

CpuMark markCpu(pid_t pid) {
    return {threadCpu(pid), statCpu(pid), now()};
}

struct CpuUse {
    double percent = 0;      // from schedstat
    double tickPercent = 0;  // from utime + stime
};

CpuUse cpuSince(const CpuMark& a, const CpuMark& b) {
    std::int64_t used = 0;
    for (const auto& [tid, ns] : b.threads) {
        const auto before = a.threads.find(tid);
        used += ns - (before == a.threads.end() ? 0 : before->second);
    }
    const double span = static_cast<double>(b.at - a.at);
    return {100.0 * static_cast<double>(used) / span,
            100.0 * static_cast<double>(b.stat - a.stat) / span};
}

double rssMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

bool hasOpen(pid_t pid, const std::string& device) {
    std::error_code ec;
    for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
        std::error_code ignored;
        if (fs::read_symlink(fd.path(), ignored) == device) return true;
    }
    return false;
}

// ---- The pseudo-terminal and what is written to it -----------------------

struct Pty {
    int master = -1;
    int slave = -1;  // held open by the bench: no hang-up between readers
    std::string path;

    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            die("no pseudo-terminal");
        path = ::ptsname(master);
        slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        // Raw from the start: no echo back into the master before a reader
        // has set its own mode.
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
    }
    ~Pty() {
        ::close(slave);
        ::close(master);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
};

// What a stream writes: frames, or for a drain stream bytes that are no
// frames at all.
enum class Content {
    Frames,
    Random,       // uniformly random bytes: now and then a sync reaches the oldest place
    Alternating,  // 239, 255, ...: every byte completes a frame and switches the cable format
};

struct Stream {
    char key;
    const char* name;
    int bytesPerSecond;  // 0: as fast as the reader drains
    int changeEvery;     // frames per value; 0: the same frame throughout
    int changingChannels;
    Content content = Content::Frames;
};

const Stream kStreams[] = {
    {'a', "400 B/s (44 frames/s), changing", 400, 3, 8},
    {'b', "1920 B/s (213 frames/s), changing", 1920, 3, 8},
    {'c', "11520 B/s (1280 frames/s), changing", 11520, 3, 8},
    {'d', "1920 B/s, the same frame", 1920, 0, 8},
    {'e', "as fast as it drains", 0, 3, 8},
    {'f', "random bytes, as fast as they drain", 0, 0, 0, Content::Random},
    {'g', "239, 255 alternating, as fast as they drain", 0, 0, 0, Content::Alternating},
};
// Channel 1 alone changes, every 4 frames (90 ms at 44 frames/s).
const Stream kLatencyStream = {'L', "latency", 400, 4, 1};

// Channel values stay below 239: a larger one reaching the oldest place of
// the frame window would pass for the sync byte of another frame kind.
std::uint8_t channelValue(const Stream& s, std::int64_t frame, int k) {
    const std::int64_t step =
        s.changeEvery > 0 && k < s.changingChannels ? frame / s.changeEvery : 0;
    return static_cast<std::uint8_t>(40 + (step * 7 + k * 23) % 180);
}

void appendFrame(std::vector<std::uint8_t>& out, const Stream& s, std::int64_t frame) {
    out.push_back(255);
    for (int k = 0; k < 8; ++k) out.push_back(channelValue(s, frame, k));
}

// A drain write of bytes that are not frames, as large as 512 frames.
void appendBlock(std::vector<std::uint8_t>& out, Content content, std::uint64_t& random) {
    for (int i = 0; i < 512 * kFrameBytes; ++i) {
        if (content == Content::Alternating) {
            out.push_back(i % 2 ? 255 : 239);
        } else {
            random = random * 6364136223846793005ULL + 1442695040888963407ULL;
            out.push_back(static_cast<std::uint8_t>(random >> 56));
        }
    }
}

// Writes one frame per write at the stream's pace, or for the drain stream
// 512 frames per write as fast as the master takes them. It stops at the
// given time even if the reader has stopped reading.
class Feeder {
public:
    Feeder(int master, const Stream& s) : fd_(master), stream_(s) {}

    // Called with the frame number and the time just before its write.
    std::function<void(std::int64_t, std::int64_t)> onWrite;

    std::uint64_t runUntil(std::int64_t until) {
        std::uint64_t written = 0;
        const bool drain = stream_.bytesPerSecond == 0;
        const std::int64_t interval = drain ? 0 : kSecond * kFrameBytes / stream_.bytesPerSecond;
        if (next_ == 0) next_ = now();
        std::vector<std::uint8_t> bytes;
        while (now() < until) {
            checkInterrupted();
            if (!drain && next_ > now()) {
                const std::int64_t wake = std::min(next_, until);
                timespec t{static_cast<time_t>(wake / kSecond), static_cast<long>(wake % kSecond)};
                ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr);
                continue;
            }
            bytes.clear();
            const int frames = drain ? 512 : 1;
            if (stream_.content != Content::Frames)
                appendBlock(bytes, stream_.content, random_);
            else
                for (int i = 0; i < frames; ++i) appendFrame(bytes, stream_, frame_ + i);
            if (onWrite) onWrite(frame_, now());
            const std::size_t done = writeBefore(bytes, until);
            written += done;
            if (done < bytes.size()) break;
            frame_ += frames;
            next_ += interval;
            // Far behind (the reader stalled): go on from now, no burst.
            if (!drain && next_ < now() - 100 * kMs) next_ = now();
        }
        return written;
    }

private:
    std::size_t writeBefore(const std::vector<std::uint8_t>& bytes, std::int64_t until) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR) break;
            checkInterrupted();
            const std::int64_t left = until - now();
            if (left <= 0) break;
            pollfd p{fd_, POLLOUT, 0};
            ::poll(&p, 1, static_cast<int>(std::min<std::int64_t>(left / kMs + 1, 100)));
        }
        return done;
    }

    int fd_;
    Stream stream_;
    std::int64_t frame_ = 0;
    std::int64_t next_ = 0;
    std::uint64_t random_ = 0x5EED;  // the same bytes in every run
};

// ---- The run ---------------------------------------------------------------

struct Options {
    std::string program = QUADREL_E2E_PROGRAM;
    std::string floor = QUADREL_E2E_FLOOR;
    std::string streams = "abcdefg";
    double window = 5;
    double warmup = 1;
    int rounds = 3;
    double latency = 10;
    std::string perfDir;
    bool joystick = false;
};

// Who reads the stream: the bare floor, the floor that also keeps a window
// up to date at the screen's pace, the program, or the program with its
// joystick output on (its events to /dev/null: no /dev/uinput needed).
enum class Reader { Floor, ShownFloor, Program, ProgramWithJoystick };

struct Measure {
    bool ok = false;
    std::string failure;
    CpuUse cpu;
    double rss = 0;
    double bytesPerSecond = 0;
};

class Bench {
public:
    explicit Bench(Options o) : o_(std::move(o)) {
        removeLeftFolders();
        std::string pattern = (fs::temp_directory_path() / kFolderPrefix).string() +
                              std::to_string(::getpid()) + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) die("no temporary folder");
        dir_ = pattern;
        gFolders.push_back(dir_);
        startXvfb();
    }

    void run() {
        std::printf("Quadrel end to end: %s\n", o_.program.c_str());
        std::printf("Floor: %s\n", o_.floor.c_str());
        std::printf(
            "Xvfb %s at 96 dpi, no accessibility bus. CPU in %% of one core over %.1f s after "
            "%.1f s of warm-up,\nfrom the on-CPU time of every thread (utime+stime in ticks "
            "in brackets); the median of %d rounds,\nfloor and program taking turns, so that "
            "both meet the same load of a shared machine.\n\n",
            display_.c_str(), o_.window, o_.warmup, o_.rounds);
        std::printf(
            "| Stream | Fed (floor / Quadrel) | Floor CPU %% | Quadrel CPU %% | Ratio | Quadrel "
            "RSS MB |\n");
        std::printf("|---|---|---|---|---|---|\n");
        std::fflush(stdout);
        for (const Stream& s : kStreams) {
            if (o_.streams.find(s.key) == std::string::npos) continue;
            std::vector<Measure> floors, shownFloors, programs, joysticks;
            for (int r = 0; r < o_.rounds; ++r) {
                floors.push_back(measure(s, Reader::Floor));
                // A window matters only where the stream has a pace to show.
                if (s.bytesPerSecond > 0) shownFloors.push_back(measure(s, Reader::ShownFloor));
                programs.push_back(measure(s, Reader::Program));
                if (o_.joystick && s.bytesPerSecond > 0)
                    joysticks.push_back(measure(s, Reader::ProgramWithJoystick));
            }
            const Measure floor = median(floors), program = median(programs);
            results_[s.key] = {floor, program};
            if (!shownFloors.empty()) shownFloors_[s.key] = median(shownFloors);
            if (!joysticks.empty()) joysticks_[s.key] = median(joysticks);
            printRow(s, floor, program);
        }
        printShownFloors();
        printJoysticks();
        std::printf("\n");
        if (o_.latency > 0) latency();
        targets();
    }

private:
    static constexpr const char* kFolderPrefix = "quadrel-e2e-";

    // The folders of runs killed outright (SIGKILL), named by their pid.
    static void removeLeftFolders() {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(fs::temp_directory_path(), ec)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(kFolderPrefix, 0) != 0) continue;
            const pid_t owner = std::atoi(name.c_str() + std::strlen(kFolderPrefix));
            if (owner > 0 && ::kill(owner, 0) != 0 && errno == ESRCH) {
                std::error_code ignored;
                fs::remove_all(entry.path(), ignored);
            }
        }
    }

    void startXvfb() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) die("no pipe");
        // -displayfd: Xvfb takes the first free display and says which.
        xvfb_ = spawn({{"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-dpi", "96",
                        "-nolisten", "tcp", "-noreset"},
                       {},
                       dir_ / "xvfb.log",
                       fds[1]});
        ::close(fds[1]);
        // The number, then a newline; the pipe stays open until both came.
        std::string number;
        const std::int64_t end = now() + 10 * kSecond;
        while (number.find('\n') == std::string::npos && now() < end) {
            checkInterrupted();
            pollfd p{fds[0], POLLIN, 0};
            char buf[32];
            if (::poll(&p, 1, 100) != 1) continue;
            const ssize_t n = ::read(fds[0], buf, sizeof buf);
            if (n <= 0) break;
            number.append(buf, static_cast<std::size_t>(n));
        }
        ::close(fds[0]);
        if (number.find('\n') == std::string::npos)
            die("Xvfb did not start:\n" + tail(dir_ / "xvfb.log"));
        display_ = ":" + std::to_string(std::atoi(number.c_str()));
    }

    // Starts the floor reader or the program on the pseudo-terminal and
    // waits until it has the port open (the program: after its splash).
    pid_t startReader(const Pty& pty, Reader reader, const fs::path& log,
                      const std::optional<fs::path>& paintLog = std::nullopt) {
        pid_t pid;
        const bool program = reader == Reader::Program || reader == Reader::ProgramWithJoystick;
        const std::int64_t started = now();
        if (reader == Reader::Floor) {
            pid = spawn({{o_.floor, pty.path}, {}, log});
        } else if (reader == Reader::ShownFloor) {
            pid = spawn({{o_.floor, "--show", pty.path}, windowEnvironment(), log});
        } else {
            const fs::path config = dir_ / ("config-" + std::to_string(++runs_));
            fs::create_directories(config);
            std::ofstream ini(config / "Quadrel.ini");
            ini << "[Devices]\nCOM1=" << pty.path << "\n";
            Spawn s{{o_.program}, windowEnvironment(), log};
            if (reader == Reader::ProgramWithJoystick) {
                ini << "[Joystick]\nEnabled=1\n";
                s.env["QUADREL_JOYSTICK_EVENTS"] = "/dev/null";
            }
            ini.close();
            s.env["XDG_CONFIG_HOME"] = config.string();
            if (paintLog) s.env["QUADREL_PAINT_LOG"] = paintLog->string();
            pid = spawn(s);
        }
        const std::int64_t settle = program ? 3 * kSecond : 0;  // the splash closes after 2 s
        while (!hasOpen(pid, pty.path) || now() - started < settle) {
            checkInterrupted();
            if (!alive(pid) || now() - started > 15 * kSecond) {
                forget(pid);
                stopChild(pid, SIGKILL);
                return -1;
            }
            sleepFor(20 * kMs);
        }
        return pid;
    }

    // A program with a window: our X server, no accessibility bus.
    std::map<std::string, std::optional<std::string>> windowEnvironment() {
        const fs::path runtime = dir_ / "runtime";
        fs::create_directories(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        return {{"DISPLAY", display_},
                {"XDG_RUNTIME_DIR", runtime.string()},
                {"QT_QPA_PLATFORM", "xcb"},
                {"NO_AT_BRIDGE", "1"},
                {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON", std::nullopt},
                {"QT_ACCESSIBILITY", std::nullopt},
                {"DBUS_SESSION_BUS_ADDRESS", std::nullopt},
                {"WAYLAND_DISPLAY", std::nullopt},
                {"QUADREL_PAINT_LOG", std::nullopt},
                {"QUADREL_JOYSTICK_EVENTS", std::nullopt}};
    }

    Measure measure(const Stream& s, Reader reader) {
        Measure m;
        Pty pty;
        const bool program = reader == Reader::Program;
        const char* who = program                                 ? "quadrel-"
                          : reader == Reader::ProgramWithJoystick ? "quadrel-joystick-"
                          : reader == Reader::Floor               ? "floor-"
                                                                  : "shown-floor-";
        const fs::path log = dir_ / (std::string(who) + s.key + ".log");
        const pid_t pid = startReader(pty, reader, log);
        if (pid < 0) {
            m.failure = "did not open the port:\n" + tail(log);
            return m;
        }
        Feeder feeder(pty.master, s);
        feeder.runUntil(now() + static_cast<std::int64_t>(o_.warmup * kSecond));
        pid_t perf = -1;
        if (program && !o_.perfDir.empty()) {
            fs::create_directories(o_.perfDir);
            const std::string out =
                (fs::path(o_.perfDir) / (std::string("quadrel-") + s.key + ".data")).string();
            perf = spawn({{"perf", "record", "-g", "-o", out, "-p", std::to_string(pid)},
                          {},
                          dir_ / "perf.log"});
            sleepFor(300 * kMs);  // perf attached
        }
        const CpuMark start = markCpu(pid);
        const std::uint64_t bytes =
            feeder.runUntil(start.at + static_cast<std::int64_t>(o_.window * kSecond));
        const CpuMark end = markCpu(pid);
        m.rss = rssMb(pid);
        m.cpu = cpuSince(start, end);
        m.bytesPerSecond =
            static_cast<double>(bytes) * kSecond / static_cast<double>(end.at - start.at);
        if (perf > 0) stopChild(perf, SIGINT, 30 * kSecond);  // perf writes its file
        m.ok = alive(pid);
        if (!m.ok) m.failure = "ended while fed:\n" + tail(log);
        stopChild(pid);
        return m;
    }

    // The round of median CPU use, with the median rate and the largest
    // memory; a failed round stands for all.
    static Measure median(std::vector<Measure> rounds) {
        for (const Measure& m : rounds)
            if (!m.ok) return m;
        std::vector<double> rates;
        double rss = 0;
        for (const Measure& m : rounds) {
            rates.push_back(m.bytesPerSecond);
            rss = std::max(rss, m.rss);
        }
        std::sort(rounds.begin(), rounds.end(),
                  [](const Measure& a, const Measure& b) { return a.cpu.percent < b.cpu.percent; });
        Measure m = rounds[rounds.size() / 2];
        m.bytesPerSecond = percentile(rates, 50);
        m.rss = rss;
        return m;
    }

    static std::string cpuText(const Measure& m) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.1f (%.1f)", m.cpu.percent, m.cpu.tickPercent);
        return buf;
    }

    static std::string rateText(double bytesPerSecond) {
        char buf[32];
        if (bytesPerSecond >= 100'000)
            std::snprintf(buf, sizeof buf, "%.1f MB/s", bytesPerSecond / 1e6);
        else
            std::snprintf(buf, sizeof buf, "%.0f B/s", bytesPerSecond);
        return buf;
    }

    void printRow(const Stream& s, const Measure& floor, const Measure& program) {
        const std::string name = std::string("(") + s.key + ") " + s.name;
        for (const Measure* m : {&floor, &program})
            if (!m->ok)
                std::printf("| %s | %s %s |\n", name.c_str(), m == &floor ? "floor" : "Quadrel",
                            m->failure.c_str());
        if (!floor.ok || !program.ok) return;
        const double ratio = floor.cpu.percent > 0 ? program.cpu.percent / floor.cpu.percent : 0;
        std::printf("| %s | %s / %s | %s | %s | %.1f | %.1f |\n", name.c_str(),
                    rateText(floor.bytesPerSecond).c_str(),
                    rateText(program.bytesPerSecond).c_str(), cpuText(floor).c_str(),
                    cpuText(program).c_str(), ratio, program.rss);
        std::fflush(stdout);
    }

    // Any program with a window pays for its paints and the X server's
    // replies; beside this floor the table shows what Quadrel adds to that.
    void printShownFloors() {
        if (shownFloors_.empty()) return;
        std::printf(
            "\nBeside the floor reader keeping a window up to date at the screen's pace (a label\n"
            "showing its byte count), fed the same in the same rounds:\n\n");
        std::printf(
            "| Stream | Shown floor CPU %% | Quadrel CPU %% | Ratio |\n|---|---|---|---|\n");
        for (const auto& [key, shown] : shownFloors_) {
            const Measure& program = results_[key].second;
            if (!shown.ok || !program.ok || shown.cpu.percent <= 0) continue;
            std::printf("| (%c) | %s | %s | %.1f |\n", key, cpuText(shown).c_str(),
                        cpuText(program).c_str(), program.cpu.percent / shown.cpu.percent);
        }
    }

    // The joystick's cost: the program with its output on beside the same
    // program with it off, in the same rounds.
    void printJoysticks() {
        if (joysticks_.empty()) return;
        std::printf(
            "\nWith the joystick output on (Enabled=1, its events written to /dev/null in place\n"
            "of /dev/uinput), beside the program with it off, in the same rounds:\n\n");
        std::printf(
            "| Stream | Output off CPU %% | Output on CPU %% | Ratio |\n|---|---|---|---|\n");
        for (const auto& [key, on] : joysticks_) {
            const Measure& off = results_[key].second;
            if (!on.ok) std::printf("| (%c) | output on: %s |\n", key, on.failure.c_str());
            if (!on.ok || !off.ok || off.cpu.percent <= 0) continue;
            std::printf("| (%c) | %s | %s | %.2f |\n", key, cpuText(off).c_str(),
                        cpuText(on).c_str(), on.cpu.percent / off.cpu.percent);
        }
    }

    struct Change {
        int value;
        std::int64_t written;    // the first frame carrying it
        std::int64_t completed;  // the next frame, whose sync byte lets it be decoded
    };

    void latency() {
        Pty pty;
        const fs::path log = dir_ / "quadrel-latency.log";
        const fs::path paints = dir_ / "paints.log";
        const pid_t pid = startReader(pty, Reader::Program, log, paints);
        if (pid < 0) {
            std::printf("Latency: the program did not open the port:\n%s\n", tail(log).c_str());
            return;
        }
        Feeder feeder(pty.master, kLatencyStream);
        feeder.runUntil(now() + static_cast<std::int64_t>(o_.warmup * kSecond));
        std::vector<Change> changes;
        std::int64_t lastStep = -1;
        feeder.onWrite = [&](std::int64_t frame, std::int64_t at) {
            if (!changes.empty() && changes.back().completed == 0) changes.back().completed = at;
            const std::int64_t step = frame / kLatencyStream.changeEvery;
            if (step != lastStep && lastStep >= 0)
                changes.push_back({channelValue(kLatencyStream, frame, 0), at, 0});
            lastStep = step;
        };
        feeder.runUntil(now() + static_cast<std::int64_t>(o_.latency * kSecond));
        // A last frame completes the last change; then a frame time for its paint.
        feeder.onWrite = [&](std::int64_t, std::int64_t at) {
            if (!changes.empty() && changes.back().completed == 0) changes.back().completed = at;
        };
        feeder.runUntil(now() + 150 * kMs);
        stopChild(pid);

        std::vector<std::pair<std::int64_t, std::string>> painted;  // In1 only
        std::ifstream in(paints);
        long long t = 0;
        std::string control, text;
        while (in >> t >> control) {
            std::getline(in, text);
            if (!text.empty() && text[0] == ' ') text.erase(0, 1);
            if (control == "In1") painted.emplace_back(t, text);
        }
        if (painted.empty()) {
            std::printf(
                "Latency: n/a (the program wrote no paint log: it has no QUADREL_PAINT_LOG "
                "hook)\n\n");
            return;
        }
        std::vector<double> fromFrame, fromSync;
        int missing = 0;
        for (const Change& c : changes) {
            const auto p = std::find_if(painted.begin(), painted.end(), [&](const auto& e) {
                return e.first >= c.written && e.second == std::to_string(c.value);
            });
            if (p == painted.end() || c.completed == 0) {
                ++missing;
                continue;
            }
            fromFrame.push_back(static_cast<double>(p->first - c.written) / kMs);
            fromSync.push_back(static_cast<double>(p->first - c.completed) / kMs);
        }
        if (fromFrame.empty()) {
            std::printf("Latency: no change of In1 was painted (%zu written)\n\n", changes.size());
            return;
        }
        latencyMedian_ = percentile(fromFrame, 50);
        latencyP99_ = percentile(fromFrame, 99);
        syncMedian_ = percentile(fromSync, 50);
        syncP99_ = percentile(fromSync, 99);
        std::printf(
            "Latency, write to In1 painted (44 frames/s, channel 1 changing every 4 frames, "
            "%zu changes, %d not painted):\n",
            fromFrame.size(), missing);
        std::printf(
            "  from the write of the first frame carrying the value: median %.1f ms, p99 %.1f ms\n",
            latencyMedian_, latencyP99_);
        std::printf(
            "  from the write of the next frame, whose sync byte completes it: median %.1f ms, "
            "p99 %.1f ms\n",
            syncMedian_, syncP99_);
        std::printf(
            "  (a frame is decoded when the next one's sync byte pushes its own to the oldest\n"
            "  place of the frame window, so the first figure includes one frame time)\n\n");
    }

    static double percentile(std::vector<double> v, double p) {
        std::sort(v.begin(), v.end());
        const auto rank =
            static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(v.size())));
        return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
    }

    void targets() {
        std::printf("Targets:\n");
        auto line = [](const char* what, bool known, bool met, const std::string& value) {
            std::printf("  %-42s %-22s %s\n", what, value.c_str(),
                        !known ? "n/a"
                        : met  ? "met"
                               : "MISSED");
        };
        auto cpu = [&](char key, bool program) -> std::optional<double> {
            const auto r = results_.find(key);
            if (r == results_.end()) return std::nullopt;
            const Measure& m = program ? r->second.second : r->second.first;
            if (!m.ok) return std::nullopt;
            return m.cpu.percent;
        };
        char buf[64];
        auto ratioLine = [&](const char* what, std::optional<double> a, std::optional<double> b,
                             double limit) {
            const bool known = a && b && *b > 0;
            if (known) std::snprintf(buf, sizeof buf, "%.2fx (<= %.1fx)", *a / *b, limit);
            line(what, known, known && *a / *b <= limit, known ? buf : "");
        };
        ratioLine("1920 B/s changing, to the floor", cpu('b', true), cpu('b', false), 4);
        ratioLine("11520 B/s, to the program at 1920 B/s", cpu('c', true), cpu('b', true), 1.5);
        ratioLine("the same frame, to the floor", cpu('d', true), cpu('d', false), 1.5);
        if (const auto e = results_.find('e'); e != results_.end() && e->second.second.ok) {
            const double mbs = e->second.second.bytesPerSecond / 1e6;
            std::snprintf(buf, sizeof buf, "%.1f MB/s (>= 20)", mbs);
            line("drain", true, mbs >= 20, buf);
        }
        // Every byte a frame must not make the program a slower reader than
        // bytes that are mostly no frames at all.
        const auto f = results_.find('f'), g = results_.find('g');
        if (f != results_.end() && g != results_.end()) {
            const bool known =
                f->second.second.ok && g->second.second.ok && f->second.second.bytesPerSecond > 0;
            const double ratio =
                known ? g->second.second.bytesPerSecond / f->second.second.bytesPerSecond : 0;
            std::snprintf(buf, sizeof buf, "%.2fx (>= 1.0x)", ratio);
            line("alternating drain, to random drain", known, ratio >= 1.0, known ? buf : "");
        }
        double rss = 0;
        bool any = false;
        for (const auto& [key, r] : results_)
            if (r.second.ok) rss = std::max(rss, r.second.rss), any = true;
        std::snprintf(buf, sizeof buf, "%.1f MB (<= 40)", rss);
        line("resident memory, largest", any, rss <= 40, any ? buf : "");
        const bool lat = latencyMedian_ >= 0;
        std::snprintf(buf, sizeof buf, "%.1f ms (< 20)", latencyMedian_);
        line("latency median, from the frame's write", lat, latencyMedian_ < 20, lat ? buf : "");
        std::snprintf(buf, sizeof buf, "%.1f ms (< 40)", latencyP99_);
        line("latency p99, from the frame's write", lat, latencyP99_ < 40, lat ? buf : "");
        std::snprintf(buf, sizeof buf, "%.1f ms (< 20)", syncMedian_);
        line("latency median, from the completing byte", lat, syncMedian_ < 20, lat ? buf : "");
        std::snprintf(buf, sizeof buf, "%.1f ms (< 40)", syncP99_);
        line("latency p99, from the completing byte", lat, syncP99_ < 40, lat ? buf : "");
    }

    Options o_;
    fs::path dir_;
    pid_t xvfb_ = -1;
    std::string display_;
    int runs_ = 0;
    std::map<char, std::pair<Measure, Measure>> results_;
    std::map<char, Measure> shownFloors_;
    std::map<char, Measure> joysticks_;
    double latencyMedian_ = -1, latencyP99_ = -1, syncMedian_ = -1, syncP99_ = -1;
};

Options parse(int argc, char** argv) {
    Options o;
    auto value = [&](int& i) -> std::string {
        if (i + 1 >= argc) die(std::string(argv[i]) + " needs a value");
        return argv[++i];
    };
    // A number, all of the text, at least `least`; a bad one is a bad
    // command line.
    auto number = [&](int& i, double least, const char* what) {
        const std::string name = argv[i], text = value(i);
        char* end = nullptr;
        const double n = std::strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !(n >= least) || n > 1e6) {
            std::fprintf(stderr, "e2e bench: %s '%s': expected %s\n", name.c_str(), text.c_str(),
                         what);
            std::exit(2);
        }
        return n;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--program")
            o.program = fs::absolute(value(i));
        else if (a == "--floor")
            o.floor = fs::absolute(value(i));
        else if (a == "--streams")
            o.streams = value(i);
        else if (a == "--window")
            o.window = number(i, 0.1, "seconds, 0.1 or more");
        else if (a == "--warmup")
            o.warmup = number(i, 0, "seconds");
        else if (a == "--rounds")
            o.rounds = static_cast<int>(number(i, 1, "a whole number, 1 or more"));
        else if (a == "--latency")
            o.latency = number(i, 0, "seconds");
        else if (a == "--no-latency")
            o.latency = 0;
        else if (a == "--perf-dir")
            o.perfDir = fs::absolute(value(i));
        else if (a == "--joystick")
            o.joystick = true;
        else {
            const bool help = a == "--help" || a == "-h";
            std::fprintf(
                help ? stdout : stderr,
                "usage: quadrel_e2e_bench [--program PATH] [--floor PATH] [--streams abcdefg]\n"
                "         [--window S] [--warmup S] [--rounds N] [--latency S | --no-latency]\n"
                "         [--perf-dir DIR] [--joystick]\n"
                "streams: a 400 B/s, b 1920 B/s, c 11520 B/s (values changing),\n"
                "         d 1920 B/s the same frame, e as fast as it drains,\n"
                "         f random bytes and g 239, 255 alternating, both as fast as they drain\n"
                "--program: the program to measure (default: the one built beside it)\n"
                "--rounds N: turns of floor and program per stream, the median shown (default 3)\n"
                "--latency S: seconds of the latency run (default 10)\n"
                "--perf-dir: perf record -g the program during each window (its cost then "
                "counts)\n"
                "--joystick: also the program with its joystick output on, for the paced "
                "streams\n");
            std::exit(help ? 0 : 2);
        }
    }
    for (const std::string& p : {o.program, o.floor})
        if (::access(p.c_str(), X_OK) != 0) die(p + " is not an executable program");
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parse(argc, argv);
    std::atexit(cleanUp);
    struct sigaction sa {};
    sa.sa_handler = onSignal;  // no SA_RESTART: waits return and see the flag
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    Bench bench(options);
    bench.run();
    return 0;
}
