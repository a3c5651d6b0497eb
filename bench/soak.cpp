// The transfer soak: write-all/read-all cycles and table write/read cycles through the whole stack
// against the simulated indicator while the line misbehaves at random (lost replies, bad CRC,
// exception replies, replies later than the repeat, refused output reports, unplugging). Each cycle
// writes a fresh random valid image or table. After each completed cycle the indicator holds what
// was written and the component's image equals the indicator; at every event in between, neither the
// component's image nor the indicator holds a value the soak did not write.
//
//   qv7_soak [--cycles N] [--table-cycles M] [--late L] [--seconds S] [--seed X] [--trace]
// Defaults: 1000 and 100 cycles, no time limit. With --seconds it stops after S seconds (CI's short run).
// --late L: L of the cycles (every fifth, from the fifth on) have their late answers come 1.1 s to 10 s
// late instead of 80 ms, whatever the repeat interval (40 ms): slow bridges and a busy PC.
// Exit code 0 when every check held, 1 otherwise.
#include "indicator/Torvik.h"
#include "proto/ParamImage.h"
#include "proto/ParamTable.h"
#include "proto/PortFormats.h"
#include "sim/SimulatedBridge.h"
#include "sim/SimulatedIndicator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>

namespace {

using Fault = qv7::SimulatedIndicator::Fault;
constexpr int Registers = qv7::TableStart + qv7::TableRegisterCount; // holding 0-159
using Bank = std::array<std::uint16_t, Registers>;

struct Settings {
    int cycles = 1000;
    int tableCycles = 100;
    int late = 0;       // cycles whose late answers come 1.1-10 s late
    double seconds = 0; // 0: no limit
    std::uint32_t seed = 7;
    bool trace = false;
};

Settings parse(int argc, char** argv) {
    Settings s;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--trace") s.trace = true;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--cycles") s.cycles = std::atoi(value);
        if (name == "--table-cycles") s.tableCycles = std::atoi(value);
        if (name == "--seconds") s.seconds = std::atof(value);
        if (name == "--late") s.late = std::atoi(value);
        if (name == "--seed") s.seed = static_cast<std::uint32_t>(std::strtoul(value, nullptr, 10));
    }
    return s;
}

class Soak {
public:
    explicit Soak(const Settings& settings)
        : settings_(settings), random_(settings.seed), bridge_(std::chrono::milliseconds(1)),
          index_(bridge_.addBridge("0001", &indicator_)), torvik_(bridge_) {
        // An unanswered request goes again after about 40 ms (at least the line time plus 20 ms); the
        // delayed answers come 80 ms late, past the repeat (1.1 s to 10 s in the late cycles).
        torvik_.setStepInterval(40);
        torvik_.pacing().setResponseAllowance(std::chrono::milliseconds(20));
        indicator_.setReplyDelay(ShortDelay);
        for (int r = 0; r < Registers; ++r)
            written_[static_cast<std::size_t>(r)] = indicator_.holding(r);
        indicatorBefore_ = written_;
        if (settings.trace) {
            const auto print = [](TComponent*, const std::string& line) {
                std::fprintf(stderr, "%s\n", line.c_str());
            };
            torvik_.TxDebugStream = print;
            torvik_.RxDebugStream = print;
        }
        torvik_.OnConnect = [this](TComponent*) { connected_ = true; };
        torvik_.OnDisconnect = [this](TComponent*) { connected_ = false; };
        torvik_.OnWriteAllCompleted = [this](TComponent*) { done_ = true; };
        torvik_.OnReadAllCompleted = [this](TComponent*) { done_ = true; };
        torvik_.OnWriteLinCompleted = [this](TComponent*) { done_ = true; };
        torvik_.OnReadLinCompleted = [this](TComponent*, const TLinTable&) { done_ = true; };
        torvik_.OnReadLin = [this](TComponent*, int position) {
            if (position % qv7::TableBlockLength == qv7::TableBlockLength - 1)
                checkNothingForeign("table read");
        };
        torvik_.OnWordBlockWriting = [this](TComponent*) { checkNothingForeign("block write"); };
    }

    bool run() {
        if (!torvik_.OpenDevice(1) || !waitFor([this] { return connected_; })) return fail("no indicator");
        // The line is timed as a real one, at the fastest format, so that answers come apart as they
        // do on a real line and more cycles fit in a minute.
        bridge_.setSerialTiming(true);
        torvik_.transport().bridge()->setPortFormat(static_cast<std::uint8_t>(TPortFormat::_38400_8E1));
        clock_.start();
        indicator_.injectFaultsRandomly(Faults, settings_.seed);
        bridge_.failWritesRandomly(index_, 0.02, settings_.seed + 1);
        // The type word first, so the image is the indicator's before any cycle compares it.
        if (!transfer([this] { torvik_.ReadAll(); }, "first read-all")) return false;
        imageBefore_ = imageAfter_ = qv7::registersFromParams(torvik_.paramsSnapshot());
        while (!timeUp() && (cycles_ < settings_.cycles || tableCycles_ < settings_.tableCycles)) {
            // One table cycle after every ten parameter cycles, until either kind has its count.
            const bool table = tableCycles_ < settings_.tableCycles &&
                               (cycles_ >= settings_.cycles || cycles_ >= 10 * (tableCycles_ + 1));
            lateCycle();
            if (!(table ? tableCycle() : parameterCycle())) return false;
            if ((cycles_ + tableCycles_) % 37 == 36 && !replug()) return false;
        }
        return true;
    }

    void report() const {
        const auto injected = indicator_.faultsInjected();
        const auto count = [&](Fault f) { return injected.count(f) ? injected.at(f) : 0; };
        std::printf("soak: %d write/read cycles, %d table cycles in %.1f s (seed %u)\n", cycles_,
                    tableCycles_, static_cast<double>(clock_.elapsed()) / 1000.0, settings_.seed);
        std::printf("faults: %d dropped replies, %d bad CRC, %d exception replies, %d late replies, "
                    "%d refused output reports, %d unplugs\n",
                    count(Fault::DropReply), count(Fault::CorruptCrc), count(Fault::Exception),
                    count(Fault::Delay), bridge_.writesFailed(), unplugs_);
        if (lateCycles_ > 0)
            std::printf("late cycles: %d, one answer each 1.1-10 s late (%.1f s to %.1f s)\n", lateCycles_,
                        static_cast<double>(lateMin_) / 1000.0, static_cast<double>(lateMax_) / 1000.0);
        const auto& rejected = torvik_.Master().Rejections;
        std::printf(
            "rejected frames: %d bad CRC, %d exception, %d wrong function, %d wrong length, %d stale\n",
            rejected[static_cast<int>(TRejectReason::BadCrc)].load(),
            rejected[static_cast<int>(TRejectReason::Exception)].load(),
            rejected[static_cast<int>(TRejectReason::WrongFunction)].load(),
            rejected[static_cast<int>(TRejectReason::WrongLength)].load(),
            rejected[static_cast<int>(TRejectReason::Stale)].load());
        std::printf("requests: %d sent, %d of them repeats, %d probes; checks: %ld, failures: %d\n",
                    torvik_.requestsSent(), torvik_.repeatsSent(), torvik_.probesSent(), checks_, failures_);
    }

private:
    static constexpr std::chrono::milliseconds ShortDelay{80};
    inline static const std::vector<std::pair<Fault, double>> Faults{
        {Fault::DropReply, 0.10}, {Fault::CorruptCrc, 0.05}, {Fault::Exception, 0.02}, {Fault::Delay, 0.05}};

    // Every fifth cycle is a late one until --late of them ran: one of its first requests is answered
    // 1.1 s to 10 s late (drawn per cycle), and its other faults come without delay, so that one late
    // answer at a time holds the line up, as a stalled bridge does.
    void lateCycle() {
        const int cycle = cycles_ + tableCycles_ + 1;
        const bool late = lateCycles_ < settings_.late && cycle % 5 == 0;
        auto faults = Faults;
        if (late) faults.pop_back(); // Delay, last
        indicator_.injectFaultsRandomly(faults, settings_.seed + static_cast<std::uint32_t>(cycle));
        if (!late) return indicator_.setReplyDelay(ShortDelay);
        ++lateCycles_;
        const int ms = std::uniform_int_distribution<int>(1100, 10000)(random_);
        lateMin_ = std::min(lateMin_, ms);
        lateMax_ = std::max(lateMax_, ms);
        indicator_.setReplyDelay(std::chrono::milliseconds(ms));
        indicator_.injectFault(Fault::Delay, 1, std::uniform_int_distribution<int>(0, 4)(random_));
    }

    bool timeUp() const { return settings_.seconds > 0 && clock_.elapsed() > settings_.seconds * 1000; }

    // Runs the event loop until condition() holds, looking at it after every event and every 10 ms.
    bool waitFor(const std::function<bool()>& condition, int ms = 30000) {
        QElapsedTimer waited;
        waited.start();
        QTimer wake;
        wake.start(10);
        while (!condition() && waited.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return condition();
    }

    bool transfer(const std::function<void()>& start, const char* what) {
        done_ = false;
        start();
        return waitFor([this] { return done_; }) || fail(what);
    }

    // A random record the pages could have produced: random registers taken through the record, so
    // that fields with fewer bits than their register come back as they will be read.
    void nextImage(TParamImage& image) {
        qv7::ConfigRegisters registers{};
        for (auto& r : registers)
            r = static_cast<std::uint16_t>(random_());
        qv7::paramsFromRegisters(image, registers);
    }

    // A write starts: the indicator may hold the old or the new value of each register until it ends.
    void beginWrite(const Bank& next) {
        indicatorBefore_ = written_;
        written_ = next;
    }

    bool parameterCycle() {
        TParamImage image = torvik_.paramsSnapshot();
        nextImage(image);
        const qv7::ConfigRegisters registers = qv7::registersFromParams(image);
        Bank next = written_;
        for (const qv7::RegisterBlock& block : qv7::parameterBlocks())
            for (int r = block.start; r <= block.last(); ++r)
                next[static_cast<std::size_t>(r)] = registers[static_cast<std::size_t>(r)];
        beginWrite(next);
        imageBefore_ = imageAfter_ = registers;
        torvik_.editImage([&](TParamImage& params, TLinTable&) { params = image; });
        if (!transfer([this] { torvik_.WriteAll(); }, "write-all")) return false;
        checkIndicator("after write-all");
        // A decoy record: what the read brings back must come from the indicator, register by register.
        TParamImage decoy = image;
        nextImage(decoy);
        imageBefore_ = qv7::registersFromParams(decoy);
        indicatorBefore_ = written_;
        torvik_.editImage([&](TParamImage& params, TLinTable&) { params = decoy; });
        if (!transfer([this] { torvik_.ReadAll(); }, "read-all")) return false;
        imageBefore_ = imageAfter_;
        checkImage("after read-all");
        ++cycles_;
        return failures_ == 0;
    }

    bool tableCycle() {
        TLinTable table{};
        std::uniform_real_distribution<float> value(-0.25f, 1.25f);
        for (auto& point : table) {
            point.Ordinate = value(random_);
            point.Abscissa = value(random_);
        }
        Bank next = written_;
        const qv7::TableRegisters words = qv7::registersFromLinTable(table);
        std::copy(words.begin(), words.end(), next.begin() + qv7::TableStart);
        torvik_.editImage([&](TParamImage& params, TLinTable& lin) {
            lin = table;
            next[qv7::LinControlRegister] = qv7::linControlWord(params);
        });
        beginWrite(next);
        if (!transfer([this] { torvik_.WriteLin(); }, "table write")) return false;
        checkIndicator("after table write");
        torvik_.editImage([](TParamImage&, TLinTable& lin) { lin = TLinTable{}; });
        indicatorBefore_ = written_;
        if (!transfer([this] { torvik_.ReadLin(); }, "table read")) return false;
        ++checks_;
        if (qv7::registersFromLinTable(torvik_.linTableSnapshot()) != words)
            failure("after table read", "LinTable", 0);
        ++tableCycles_;
        return failures_ == 0;
    }

    bool replug() {
        bridge_.unplug(index_);
        if (!waitFor([this] { return !connected_; })) return fail("unplug");
        bridge_.plug(index_);
        ++unplugs_;
        return waitFor([this] { return connected_; }) || fail("replug");
    }

    static bool outsideBlocks(int r) { return r >= 12 && r < 16; }

    // The indicator holds exactly what was written.
    void checkIndicator(const char* when) {
        for (int r = 0; r < Registers; ++r) {
            if (outsideBlocks(r)) continue;
            ++checks_;
            if (indicator_.holding(r) != written_[static_cast<std::size_t>(r)]) failure(when, "indicator", r);
        }
    }

    // Every register of the component's record is one the soak put there or had written.
    void checkImage(const char* when) {
        const qv7::ConfigRegisters image = qv7::registersFromParams(torvik_.paramsSnapshot());
        for (std::size_t r = 0; r < image.size(); ++r) {
            if (outsideBlocks(static_cast<int>(r))) continue;
            ++checks_;
            if (image[r] != imageBefore_[r] && image[r] != imageAfter_[r])
                failure(when, "Params", static_cast<int>(r));
        }
    }

    void checkNothingForeign(const char* when) {
        for (int r = 0; r < Registers; ++r) {
            if (outsideBlocks(r)) continue;
            const auto v = indicator_.holding(r);
            const auto i = static_cast<std::size_t>(r);
            ++checks_;
            if (v != written_[i] && v != indicatorBefore_[i]) failure(when, "indicator", r);
        }
        checkImage(when);
    }

    void failure(const char* when, const char* what, int r) {
        if (++failures_ <= 10)
            std::fprintf(stderr, "soak: %s: %s register %d holds a value never written\n", when, what, r);
    }

    bool fail(const char* what) {
        ++failures_;
        std::fprintf(stderr, "soak: %s did not complete (Step %d)\n", what, torvik_.Step.load());
        return false;
    }

    Settings settings_;
    std::mt19937 random_;
    qv7::SimulatedIndicator indicator_;
    qv7::SimulatedBridge bridge_;
    int index_;
    TTorvik torvik_;
    Bank written_{}, indicatorBefore_{};
    qv7::ConfigRegisters imageBefore_{}, imageAfter_{};
    bool connected_ = false, done_ = false;
    int cycles_ = 0, tableCycles_ = 0, unplugs_ = 0, failures_ = 0;
    int lateCycles_ = 0, lateMin_ = 10000, lateMax_ = 0;
    long checks_ = 0;
    QElapsedTimer clock_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Soak soak(parse(argc, argv));
    const bool ok = soak.run();
    soak.report();
    return ok ? 0 : 1;
}
