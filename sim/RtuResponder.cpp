#include "sim/RtuResponder.h"

#include <modbus.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace qv7 {

namespace {

constexpr std::uint8_t WriteMultipleRegisters = 0x10;
constexpr int ReplyWaitMs = 2000; // the terminal hands bytes over asynchronously, but within microseconds

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("simulated indicator: " + what + ": " + std::strerror(errno));
}

void makeRaw(int fd) {
    termios settings{};
    if (tcgetattr(fd, &settings) != 0) fail("tcgetattr");
    cfmakeraw(&settings);
    if (tcsetattr(fd, TCSANOW, &settings) != 0) fail("tcsetattr");
}

} // namespace

RtuResponder::RtuResponder(int holdingCount, int inputCount) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0) fail("posix_openpt");
    char name[128] = {};
    if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
        close(master_);
        fail("pseudo-terminal");
    }
    try {
        makeRaw(master_);
        if (fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK) != 0) fail("fcntl");
        context_ = modbus_new_rtu(name, 9600, 'N', 8, 1);
        if (context_ == nullptr) fail("modbus_new_rtu");
        if (modbus_connect(context_) != 0) fail("modbus_connect");
        makeRaw(modbus_get_socket(context_));
        // modbus_reply waits this long before some exception replies, to flush a garbled line; the
        // indicator frames its requests itself, so there is nothing to wait for.
        modbus_set_response_timeout(context_, 0, 1);
        mapping_ = modbus_mapping_new(0, 0, holdingCount, inputCount);
        if (mapping_ == nullptr) fail("modbus_mapping_new");
    } catch (...) {
        if (context_ != nullptr) {
            modbus_close(context_);
            modbus_free(context_);
        }
        close(master_);
        throw;
    }
}

RtuResponder::~RtuResponder() {
    modbus_mapping_free(mapping_);
    modbus_close(context_);
    modbus_free(context_);
    close(master_);
}

std::vector<std::uint8_t> RtuResponder::reply(std::span<const std::uint8_t> request) {
    if (request.size() < 4 || request.size() > MODBUS_RTU_MAX_ADU_LENGTH) return {};
    // modbus_reply may look at a few bytes past a short request: give it a whole frame buffer.
    std::uint8_t frame[MODBUS_RTU_MAX_ADU_LENGTH] = {};
    std::memcpy(frame, request.data(), request.size());
    drainTerminal();
    // modbus_reply copies the request's slave byte into its reply and checks it against nothing but
    // broadcast (0), so the indicator's address 255 comes back as it went out.
    const int sent = modbus_reply(context_, frame, static_cast<int>(request.size()), mapping_);
    if (sent <= 0) return {};
    std::vector<std::uint8_t> answer = readTerminal(static_cast<std::size_t>(sent));
    if (answer.size() >= 2 && answer[1] == WriteMultipleRegisters) swapWrittenRegisters(request);
    return answer;
}

void RtuResponder::drainTerminal() {
    std::uint8_t scrap[256];
    while (read(master_, scrap, sizeof scrap) > 0) {
    }
}

std::vector<std::uint8_t> RtuResponder::readTerminal(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t got = 0;
    while (got < count) {
        const ssize_t n = read(master_, bytes.data() + got, count - got);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) break;
        pollfd ready{master_, POLLIN, 0};
        if (poll(&ready, 1, ReplyWaitMs) <= 0) break;
    }
    bytes.resize(got);
    return bytes;
}

} // namespace qv7
