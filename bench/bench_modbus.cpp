// Latency of one read through the whole stack: from ReadHoldingRegisters(0, 12) on the caller's
// thread to the twelfth OnDataArrival on the reader thread, with the simulated bridge sending one
// report per period and the simulated indicator answering at once (no serial-line delay).
// Prints median, p99 and worst in report periods. Usage: bench_modbus [requests] [period_us]
#include "link/HIDSerial.h"
#include "modbus/MiniModbus.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Counts the values of the current reply; the caller waits for the twelfth.
struct Arrivals {
    std::mutex mutex;
    std::condition_variable changed;
    int count = 0;
    bool connected = false;
};

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const std::size_t index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

} // namespace

int main(int argc, char** argv) {
    const int requests = argc > 1 ? std::atoi(argv[1]) : 400;
    const auto period = std::chrono::microseconds(argc > 2 ? std::atoi(argv[2]) : 1000);
    if (requests < 1 || period.count() < 1) {
        std::fprintf(stderr, "usage: bench_modbus [requests >= 1] [period_us >= 1]\n");
        return 2;
    }

    qv7::SimulatedBridge sim(period);
    qv7::SimulatedIndicator indicator;
    sim.addBridge("0001", &indicator);
    Arrivals arrivals;
    {
        THIDSerial bridge(sim);
        TMiniModbusMaster master(bridge);
        master.Node = 255;
        bridge.ProductIdent = "HID-QV7   ";
        bridge.OnConnect = [&](TComponent*) {
            std::lock_guard lock(arrivals.mutex);
            arrivals.connected = true;
            arrivals.changed.notify_all();
        };
        master.OnDataArrival = [&](TComponent*, TDataType, std::int32_t, std::int32_t) {
            std::lock_guard lock(arrivals.mutex);
            ++arrivals.count;
            arrivals.changed.notify_all();
        };
        const auto patience = std::chrono::seconds(2);
        if (!bridge.OpenDevice(1)) {
            std::fprintf(stderr, "bench_modbus: the simulated bridge did not open\n");
            return 1;
        }
        {
            std::unique_lock lock(arrivals.mutex);
            if (!arrivals.changed.wait_for(lock, patience, [&] { return arrivals.connected; })) {
                std::fprintf(stderr, "bench_modbus: no OnConnect\n");
                return 1;
            }
        }

        std::vector<double> periods;
        int lost = 0;
        for (int i = 0; i < requests; ++i) {
            {
                std::lock_guard lock(arrivals.mutex);
                arrivals.count = 0;
            }
            const auto start = Clock::now();
            master.ReadHoldingRegisters(0, 12);
            std::unique_lock lock(arrivals.mutex);
            if (!arrivals.changed.wait_for(lock, patience, [&] { return arrivals.count >= 12; })) {
                ++lost;
                continue;
            }
            const std::chrono::duration<double, std::micro> elapsed = Clock::now() - start;
            periods.push_back(elapsed.count() / static_cast<double>(period.count()));
        }
        bridge.CloseDevice();

        if (periods.empty()) {
            std::fprintf(stderr, "bench_modbus: no reply at all\n");
            return 1;
        }
        std::printf(
            "ReadHoldingRegisters(0, 12) to the 12th OnDataArrival, report period %lld us, %zu requests "
            "(%d unanswered)\n",
            static_cast<long long>(period.count()), periods.size(), lost);
        std::printf("  median %.2f periods, p99 %.2f periods, worst %.2f periods (target <= 5)\n",
                    percentile(periods, 0.5), percentile(periods, 0.99), percentile(periods, 1.0));
    }
    return 0;
}
