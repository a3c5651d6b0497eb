// The HID-serial bridge as a transport: THIDSerial on a HidAccess, the bridges whose strings say
// "Norvex" / "HID-QV7   ", claimed through the access's device lock.
#pragma once

#include "link/HIDSerial.h"
#include "link/Transport.h"

namespace qv7 {

class HidTransport : public Transport, public BridgeExtras {
public:
    explicit HidTransport(HidAccess& access);
    ~HidTransport() override;

    int enumerate() override;
    DeviceIdentity identity(int number) override;
    OpenResult open(int number, long& holder) override;
    void close() override;
    DeviceText description() const override { return description_; }
    FrameLink& link() override { return bridge_; }
    void stop() override { bridge_.StopReader(); }
    BridgeExtras* bridge() override { return this; }

    int eraseFirmware() override { return bridge_.EraseBridgeFirmware(); }
    int programFirmware() override { return bridge_.WriteBridgeFirmware(); }
    int resetBridge() override { return bridge_.ResetBridge(); }
    void setPortFormat(std::uint8_t code) override { bridge_.SetPortFormat(static_cast<TPortFormat>(code)); }

    THIDSerial& Bridge() { return bridge_; }

private:
    THIDSerial bridge_;
    std::unique_ptr<DeviceClaim> claim_;
    std::string claimPath_;
    DeviceText description_;
};

} // namespace qv7
