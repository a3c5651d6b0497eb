// RtuResponder on Windows, which has no pseudo-terminal: libmodbus's reply logic runs on a Modbus
// TCP context whose socket is one end of a loopback connection. Each RTU request goes in with the
// TCP header in place of its address byte and CRC; the reply comes back from the other end and
// leaves as an RTU frame again (its unit byte as address, its CRC computed here). An RTU broadcast
// (address 0) gets no reply, as on a serial line.
#include "sim/RtuResponder.h"

#include "proto/Crc.h"

#include <winsock2.h>

#include <modbus.h>

#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>

namespace qv7 {

namespace {

constexpr std::uint8_t WriteMultipleRegisters = 0x10;
constexpr int ReplyWaitMs = 2000;    // loopback hands bytes over within microseconds
constexpr std::size_t TcpHeader = 6; // transaction, protocol and length, before the unit byte

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("simulated indicator: " + what + ": error " +
                             std::to_string(::WSAGetLastError()));
}

void startSockets() {
    static std::once_flag once;
    std::call_once(once, [] {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 2), &data);
    });
}

// A connected pair of loopback sockets.
void socketPair(SOCKET ends[2]) {
    SOCKET listener = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) fail("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    auto* where = reinterpret_cast<sockaddr*>(&address);
    ends[0] = ends[1] = INVALID_SOCKET;
    if (::bind(listener, where, length) != 0 || ::getsockname(listener, where, &length) != 0 ||
        ::listen(listener, 1) != 0 ||
        (ends[0] = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)) == INVALID_SOCKET ||
        ::connect(ends[0], where, length) != 0 ||
        (ends[1] = ::accept(listener, nullptr, nullptr)) == INVALID_SOCKET) {
        if (ends[0] != INVALID_SOCKET) ::closesocket(ends[0]);
        ::closesocket(listener);
        fail("loopback connection");
    }
    ::closesocket(listener);
    // Frames are small and wanted at once.
    const BOOL on = TRUE;
    for (int i = 0; i < 2; ++i)
        ::setsockopt(ends[i], IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
}

bool readable(SOCKET socket, int waitMs) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval wait{waitMs / 1000, (waitMs % 1000) * 1000};
    return ::select(0, &set, nullptr, nullptr, &wait) == 1;
}

SOCKET socketOf(int value) {
    return static_cast<SOCKET>(value);
}

} // namespace

RtuResponder::RtuResponder(int holdingCount, int inputCount) {
    startSockets();
    SOCKET ends[2];
    socketPair(ends);
    master_ = static_cast<int>(ends[0]);
    context_ = modbus_new_tcp("127.0.0.1", 502);
    mapping_ = modbus_mapping_new(0, 0, holdingCount, inputCount);
    if (context_ == nullptr || mapping_ == nullptr) {
        if (context_ != nullptr) modbus_free(context_);
        modbus_mapping_free(mapping_);
        ::closesocket(ends[0]);
        ::closesocket(ends[1]);
        throw std::runtime_error("simulated indicator: libmodbus context");
    }
    modbus_set_socket(context_, static_cast<int>(ends[1]));
    // modbus_reply waits this long before some exception replies, to flush a garbled line; the
    // indicator frames its requests itself, so there is nothing to wait for.
    modbus_set_response_timeout(context_, 0, 1);
}

RtuResponder::~RtuResponder() {
    modbus_mapping_free(mapping_);
    modbus_close(context_);
    modbus_free(context_);
    ::closesocket(socketOf(master_));
}

std::vector<std::uint8_t> RtuResponder::reply(std::span<const std::uint8_t> request) {
    if (request.size() < 4 || request.size() > MODBUS_RTU_MAX_ADU_LENGTH) return {};
    if (request[0] == 0) return {}; // a broadcast is answered by nobody
    // The request without its CRC after a TCP header; modbus_reply may look at a few bytes past a
    // short request: give it a whole frame buffer.
    const std::size_t pdu = request.size() - 2;
    std::uint8_t frame[MODBUS_TCP_MAX_ADU_LENGTH] = {};
    frame[4] = static_cast<std::uint8_t>(pdu >> 8);
    frame[5] = static_cast<std::uint8_t>(pdu & 0xFF);
    std::memcpy(frame + TcpHeader, request.data(), pdu);
    drainTerminal();
    const int sent = modbus_reply(context_, frame, static_cast<int>(TcpHeader + pdu), mapping_);
    if (sent <= static_cast<int>(TcpHeader)) return {};
    std::vector<std::uint8_t> tcp = readTerminal(static_cast<std::size_t>(sent));
    if (tcp.size() <= TcpHeader) return {};
    std::vector<std::uint8_t> answer(tcp.begin() + TcpHeader, tcp.end());
    appendCrc(answer);
    if (answer.size() >= 2 && answer[1] == WriteMultipleRegisters) swapWrittenRegisters(request);
    return answer;
}

void RtuResponder::drainTerminal() {
    char scrap[256];
    while (readable(socketOf(master_), 0) && ::recv(socketOf(master_), scrap, sizeof scrap, 0) > 0) {
    }
}

std::vector<std::uint8_t> RtuResponder::readTerminal(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    std::size_t got = 0;
    while (got < count && readable(socketOf(master_), ReplyWaitMs)) {
        const int n = ::recv(socketOf(master_), reinterpret_cast<char*>(bytes.data() + got),
                             static_cast<int>(count - got), 0);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return bytes;
}

} // namespace qv7
