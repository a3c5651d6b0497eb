// Figures of the USB link against the simulated bridge (1 ms report period): how long a report
// waits in the slot before the reader thread takes it (idle, and while a reply is awaited), and how
// much CPU the reader thread uses
// while connected and idle, and while no device is present.
//   bench_link [seconds per CPU phase, default 10] [hand-offs, default 2000]
#include "link/HIDSerial.h"
#include "sim/SimulatedBridge.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Period = std::chrono::milliseconds(1);

class Connection {
public:
    void watch(THIDSerial& bridge) {
        bridge.OnConnect = [this](TComponent*) { set(true); };
        bridge.OnDisconnect = [this](TComponent*) { set(false); };
    }
    bool waitFor(bool connected) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(5), [&] { return connected_ == connected; });
    }
    pid_t readerTid() {
        std::lock_guard lock(mutex_);
        return tid_;
    }

private:
    void set(bool connected) {
        std::lock_guard lock(mutex_);
        connected_ = connected;
        tid_ = gettid(); // raised on the reader thread
        changed_.notify_all();
    }
    std::mutex mutex_;
    std::condition_variable changed_;
    bool connected_ = false;
    pid_t tid_ = 0;
};

// User plus system time of one thread, in seconds.
double threadCpuSeconds(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    std::getline(stat, line);
    // The command name may hold blanks: the fields that count come after its closing parenthesis.
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double cpuPercent(pid_t tid, int seconds) {
    const double before = threadCpuSeconds(tid);
    const auto start = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    return 100.0 * (threadCpuSeconds(tid) - before) / wall;
}

// The cost of waking once per report period and doing nothing else: the floor under the figure of
// a reader paced by a 1 ms report period.
double wakeFloorPercent(int seconds) {
    double percent = 0;
    std::thread sleeper([&] {
        const pid_t self = gettid();
        const double before = threadCpuSeconds(self);
        const auto start = Clock::now();
        auto next = start;
        while (next < start + std::chrono::seconds(seconds)) {
            next += Period;
            std::this_thread::sleep_until(next);
        }
        const double wall = std::chrono::duration<double>(Clock::now() - start).count();
        percent = 100.0 * (threadCpuSeconds(self) - before) / wall;
    });
    sleeper.join();
    return percent;
}

void handOffLatency(THIDSerial& bridge, int count, const char* state) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> phase(0, 1000);
    std::vector<double> periods;
    int failed = 0;
    const std::uint8_t payload[] = {0x02, 0xF5, 0x00, 0x00};
    for (int i = 0; i < count; ++i) {
        // A random start within the period, so the figure covers every phase of the reader's cycle.
        std::this_thread::sleep_for(std::chrono::microseconds(phase(random)));
        const auto start = Clock::now();
        if (bridge.WriteReport(payload, 4) != 64) ++failed;
        periods.push_back(std::chrono::duration<double>(Clock::now() - start) / Period);
    }
    std::sort(periods.begin(), periods.end());
    double sum = 0;
    for (double p : periods)
        sum += p;
    const auto at = [&](double q) { return periods[static_cast<std::size_t>(q * (periods.size() - 1))]; };
    std::printf("hand-off latency %s, over %d reports, in report periods of 1 ms:\n", state, count);
    std::printf("  mean %.3f  median %.3f  p99 %.3f  max %.3f  (target <= 1.5; %d not taken)\n",
                sum / static_cast<double>(periods.size()), at(0.5), at(0.99), periods.back(), failed);
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const int handOffs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2000;

    qv7::SimulatedBridge sim(Period);
    sim.addBridge("0001");
    THIDSerial bridge(sim);
    Connection connection;
    connection.watch(bridge);
    if (!bridge.OpenDevice(1) || !connection.waitFor(true)) {
        std::fprintf(stderr, "the simulated bridge did not connect\n");
        return 1;
    }
    handOffLatency(bridge, handOffs, "to an idle reader");
    // A reader that awaits a reply takes each report as it comes and writes between two of them.
    bridge.Thread().Pause();
    bridge.Thread().InputAwaited = [] { return true; };
    bridge.Thread().Resume();
    handOffLatency(bridge, handOffs, "while a reply is awaited");
    bridge.Thread().Pause();
    bridge.Thread().InputAwaited = [&bridge] { return bridge.AwaitingInput(); };
    bridge.Thread().Resume();

    const pid_t reader = connection.readerTid();
    std::printf("reader thread CPU, %% of one core over %d s:\n", seconds);
    std::printf("  connected, idle: %.3f %%  (target <= 0.5)\n", cpuPercent(reader, seconds));
    sim.unplug(0);
    if (!connection.waitFor(false)) {
        std::fprintf(stderr, "the unplug was not noticed\n");
        return 1;
    }
    std::printf("  no device:       %.3f %%\n", cpuPercent(reader, seconds));
    std::printf("  a bare thread waking every 1 ms: %.3f %%  (the floor of a 1 ms report period)\n",
                wakeFloorPercent(seconds));
    bridge.CloseDevice();
    return 0;
}
