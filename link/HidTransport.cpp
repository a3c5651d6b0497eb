#include "link/HidTransport.h"

namespace qv7 {

TransportSource::TransportSource(HidAccess& access) : transport_(std::make_unique<HidTransport>(access)) {}

HidTransport::HidTransport(HidAccess& access) : bridge_(access) {
    bridge_.ProductIdent = "HID-QV7   ";
    bridge_.OnConnect = [this](TComponent*) {
        if (onConnect) onConnect();
    };
    bridge_.OnDisconnect = [this](TComponent*) {
        if (onDisconnect) onDisconnect();
    };
}

HidTransport::~HidTransport() {
    // The reader thread calls back into this object: end it before any member goes.
    bridge_.StopReader();
}

int HidTransport::enumerate() {
    return bridge_.CountDevices();
}

DeviceIdentity HidTransport::identity(int number) {
    DeviceIdentity id;
    id.path = bridge_.MatchingDevicePath(number);
    // A device that does not open for its strings keeps them empty.
    if (const auto handle = id.path.empty() ? nullptr : bridge_.Access().open(id.path)) {
        id.serial = handle->serialNumber().value_or("");
        id.manufacturer = handle->manufacturer().value_or("");
        id.product = handle->product().value_or("");
    }
    return id;
}

Transport::OpenResult HidTransport::open(int number, long& holder) {
    holder = 0;
    const std::string path = bridge_.MatchingDevicePath(number);
    if (path.empty()) return OpenResult::Failed;
    // Another program driving the same indicator would swallow our replies and we its. The claim
    // held already covers the indicator opened again (a new scan).
    std::unique_ptr<DeviceClaim> claim;
    if (!claim_ || claimPath_ != path) {
        claim = bridge_.Access().claim(path, holder);
        if (!claim) return OpenResult::InUse;
    }
    if (!bridge_.OpenDevice(number)) return OpenResult::Failed; // a claim just taken goes with `claim`
    if (claim) {
        claim_ = std::move(claim);
        claimPath_ = path;
    }
    const THIDSerial::Description d = bridge_.DescribeDevice(bridge_.DeviceNumber());
    description_ = {"THIDSerial", d.form, d.arguments};
    return OpenResult::Opened;
}

void HidTransport::close() {
    bridge_.CloseDevice();
    claim_.reset();
}

} // namespace qv7
