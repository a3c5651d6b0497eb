// The transport: what owns the device an indicator is reached through. It finds the attached
// devices, claims one (the device lock) and opens it, tells who it is, and hands out the frame link
// the Modbus master talks through. The HID-serial bridge is one transport (link/HidTransport.h); a
// serial port would be another. The indicator component, the window and qv7ctl know only this.
// Qt-free.
#pragma once

#include "base/FrameLink.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qv7 {

class HidAccess;

// A text marked for the window's translations and its arguments, filled with fillTemplate.
struct DeviceText {
    const char* context = ""; // the translation context: the class that marked it ("THIDSerial")
    const char* form = "";
    std::vector<std::string> arguments;
};

// Who a device says it is; empty strings where it does not say.
struct DeviceIdentity {
    std::string path;
    std::string serial;
    std::string manufacturer;
    std::string product;
};

// What only the HID-serial bridge has: its firmware commands and its port format. Each command
// returns the bridge's result (64, or -2 after the hand-off limit).
class BridgeExtras {
public:
    virtual ~BridgeExtras() = default;
    virtual int eraseFirmware() = 0;
    virtual int programFirmware() = 0;
    virtual int resetBridge() = 0;
    // 0 9600 8N2, 1 9600 8E1, 2 19200 8E1, 3 38400 8E1 (proto/PortFormats.h).
    virtual void setPortFormat(std::uint8_t code) = 0;
};

class Transport {
public:
    virtual ~Transport() = default;

    // Caller's thread (the component's). The devices attached now; the others take their numbers
    // from 1 in the same order.
    virtual int enumerate() = 0;
    virtual DeviceIdentity identity(int number) = 0;

    enum class OpenResult { Opened, Failed, InUse };
    // Claims device `number` so that no other program drives it meanwhile, then opens it. InUse
    // with `holder` set to the holder's process id (0 when it cannot be known) when another program
    // holds it. A claim already held on the same device is kept.
    virtual OpenResult open(int number, long& holder) = 0;
    // Lets the device go (the claim too).
    virtual void close() = 0;
    // The opened device's description (as of the last open that succeeded).
    virtual DeviceText description() const = 0;

    // The frame link of the opened device; it stays the same object for the transport's life.
    virtual FrameLink& link() = 0;
    // The connection came or went: called on the transport's own thread. Set before open.
    std::function<void()> onConnect, onDisconnect;
    // Ends every thread that calls back into the owner; the owner calls it before it goes.
    virtual void stop() = 0;

    // The bridge's own commands; nullptr on a transport that has none.
    virtual BridgeExtras* bridge() { return nullptr; }
};

// What a component is built on: a transport, or the HID access a bridge transport is made on (the
// real hidapi one, or the simulated bridges of tests).
class TransportSource {
public:
    TransportSource(std::unique_ptr<Transport> transport) : transport_(std::move(transport)) {}
    TransportSource(HidAccess& access);
    std::unique_ptr<Transport> take() { return std::move(transport_); }

private:
    std::unique_ptr<Transport> transport_;
};

} // namespace qv7
