// Our master against libmodbus's own RTU receive-and-reply loop, over a pseudo-terminal: the
// simulated bridge hands each request to a peer that writes it to the pty, where a libmodbus server
// at unit 247 answers. Shows the frames are standard Modbus, apart from the indicator's low-byte-first
// block data.
#include "ModbusTestSupport.h"

#include <gtest/gtest.h>
#include <modbus.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace modbustest;

namespace {

constexpr int ServerUnit = 247;  // libmodbus serves unit ids 1..247 only on RTU
constexpr int PeerWaitMs = 2000; // only reached when the server does not answer

// Reply length from what a standard slave sends for the request, read as libmodbus reads it: from
// the function code, not from timing.
std::size_t replyLength(const Bytes& request, const Bytes& soFar) {
    if (soFar.size() >= 2 && (soFar[1] & 0x80) != 0) return 5;
    switch (request.at(1)) {
    case 0x03:
    case 0x04:
        return 5 + 2 * static_cast<std::size_t>(request.at(5));
    default:
        return 8; // 05, 06 and 10 hex echo address and value or count
    }
}

// libmodbus's server on the slave side of a pty; its register bank is guarded by a mutex because
// the test reads it from its own thread.
class LibmodbusServer {
public:
    LibmodbusServer() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        termios raw{};
        tcgetattr(master_, &raw);
        cfmakeraw(&raw);
        tcsetattr(master_, TCSANOW, &raw);
        ctx_ = modbus_new_rtu(ptsname(master_), 9600, 'N', 8, 2);
        mapping_ = modbus_mapping_new(0, 0, 1100, 16);
        if (!ctx_ || !mapping_ || modbus_set_slave(ctx_, ServerUnit) != 0 || modbus_connect(ctx_) != 0)
            return;
        // Wakes the loop now and then so a stop request is seen without a request arriving.
        modbus_set_indication_timeout(ctx_, 0, 50'000);
        thread_ = std::thread([this] { serve(); });
        ready_ = true;
    }
    ~LibmodbusServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (ctx_) {
            modbus_close(ctx_);
            modbus_free(ctx_);
        }
        if (mapping_) modbus_mapping_free(mapping_);
        if (master_ >= 0) close(master_);
    }

    bool ready() const { return ready_; }
    int ptyMaster() const { return master_; }

    std::uint16_t holding(int address) const {
        std::lock_guard lock(mutex_);
        return mapping_->tab_registers[address];
    }
    void setHolding(int address, std::uint16_t value) {
        std::lock_guard lock(mutex_);
        mapping_->tab_registers[address] = value;
    }
    void setInput(int address, std::uint16_t value) {
        std::lock_guard lock(mutex_);
        mapping_->tab_input_registers[address] = value;
    }
    int replies() const { return replies_; }
    // The count once it reached `n`, or as it stands after a second: the server counts a reply once
    // modbus_reply returned, which may be after the master already booked it.
    int repliesOnceAt(int n) const {
        std::unique_lock lock(mutex_);
        counted_.wait_for(lock, std::chrono::seconds(1), [&] { return replies_ >= n; });
        return replies_;
    }

private:
    void serve() {
        std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
        while (!stop_) {
            const int rc = modbus_receive(ctx_, query);
            if (rc > 0) {
                {
                    std::lock_guard lock(mutex_);
                    if (modbus_reply(ctx_, query, rc, mapping_) > 0) ++replies_;
                }
                counted_.notify_all();
            } else if (rc < 0 && errno != ETIMEDOUT) {
                modbus_flush(ctx_);
            }
        }
    }

    int master_ = -1;
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* mapping_ = nullptr;
    mutable std::mutex mutex_;
    mutable std::condition_variable counted_;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> replies_{0};
    bool ready_ = false;
};

// Forwards each data report to the pty and returns the server's complete reply.
class PtyPeer : public qv7::SerialPeer {
public:
    explicit PtyPeer(int fd) : fd_(fd) {}
    std::vector<std::uint8_t> receiveSerial(std::span<const std::uint8_t> bytes) override {
        const Bytes request(bytes.begin(), bytes.end());
        if (request.size() < 6 ||
            write(fd_, request.data(), request.size()) != static_cast<ssize_t>(request.size()))
            return {};
        Bytes reply;
        while (reply.size() < replyLength(request, reply)) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, PeerWaitMs) <= 0) break;
            std::uint8_t chunk[256];
            const ssize_t n =
                read(fd_, chunk, std::min(sizeof chunk, replyLength(request, reply) - reply.size()));
            if (n <= 0) break;
            reply.insert(reply.end(), chunk, chunk + n);
        }
        return reply;
    }

private:
    int fd_;
};

class MasterToLibmodbus : public testing::Test {
protected:
    static void SetUpTestSuite() {
        server = new LibmodbusServer;
        peer = new PtyPeer(server->ptyMaster());
        link = new OpenedMaster(peer, ServerUnit);
    }
    static void TearDownTestSuite() {
        delete link; // the reader thread stops before the peer and the server go
        delete peer;
        delete server;
        link = nullptr;
        peer = nullptr;
        server = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server->ready());
        ASSERT_TRUE(link->opened);
        link->recorder.reset();
    }
    static TMiniModbusMaster& m() { return link->master; }
    // Each request gets one reply; waiting for it to be handled (not for its events) keeps the
    // tail of one test from landing in the next.
    static Record afterReply() {
        Record r = link->recorder.afterFrames(1);
        EXPECT_EQ(r.handled, 1);
        return r;
    }

    static inline LibmodbusServer* server = nullptr;
    static inline PtyPeer* peer = nullptr;
    static inline OpenedMaster* link = nullptr;
};

TEST_F(MasterToLibmodbus, function_3_reads_what_libmodbus_holds) {
    for (int i = 0; i < 12; ++i)
        server->setHolding(i, static_cast<std::uint16_t>(0x8000 + 0x0111 * i));
    m().ReadHoldingRegisters(0, 12);
    const Record r = afterReply();
    ASSERT_EQ(r.arrivals.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(r.arrivals[i], (Arrival{TDataType::dtHoldingRegister, i, server->holding(i)}));
}

TEST_F(MasterToLibmodbus, function_4_reads_an_input_register) {
    server->setInput(3, 0x4053);
    m().ReadInputRegisters(3, 1);
    const Record r = afterReply();
    EXPECT_EQ(r.arrivals, (std::vector<Arrival>{{TDataType::dtInputRegister, 3, 0x4053}}));
}

TEST_F(MasterToLibmodbus, function_6_is_stored_and_echoed) {
    m().WriteSingleRegister(1000, 0x1234);
    const Record r = afterReply();
    EXPECT_EQ(r.arrivals, (std::vector<Arrival>{{TDataType::dtHoldingRegister, 1000, 0x1234}}));
    EXPECT_EQ(server->holding(1000), 0x1234);
}

TEST_F(MasterToLibmodbus, function_16_lands_byte_swapped_in_a_standard_slave) {
    const std::uint16_t values[] = {0x1234, 0x0056, 0xABCD};
    for (int i = 0; i < 3; ++i)
        m().HoldingRegisters[200 + i] = values[i];
    m().WriteMultipleRegisters(200, 3, m().HoldingRegisters);
    const Record r = afterReply();
    EXPECT_EQ(r.blockWrites, 1);
    EXPECT_TRUE(r.arrivals.empty());
    // The indicator takes block data low byte first; a standard slave reads it high byte first.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(server->holding(200 + i), static_cast<std::uint16_t>(values[i] << 8 | values[i] >> 8));
}

TEST_F(MasterToLibmodbus, exception_reply_from_libmodbus_is_dropped) {
    const int before = server->replies();
    m().ReadHoldingRegisters(1090, 20); // past the end of libmodbus's bank: exception 02
    const Record exception = afterReply();
    EXPECT_TRUE(exception.arrivals.empty());
    EXPECT_EQ(m().PendingFunction, -1);
    // The link still works: the next request is answered and decoded.
    link->recorder.reset();
    m().ReadInputRegisters(0, 1);
    const Record r = afterReply();
    EXPECT_EQ(r.arrivals, (std::vector<Arrival>{{TDataType::dtInputRegister, 0, 0}}));
    EXPECT_EQ(r.rx.size(), 1u);
    EXPECT_EQ(server->repliesOnceAt(before + 2), before + 2);
}

} // namespace
