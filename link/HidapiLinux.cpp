// HidapiAccess's system part on Linux: report lengths from the hidraw node's report descriptor in
// sysfs, and an exclusive flock on the node itself.
#include "base/FileLock.h"
#include "link/HidapiAccess.h"
#include "link/HidapiPlatform.h"

#include <cstdint>
#include <fstream>
#include <vector>

namespace qv7 {

namespace {

constexpr std::size_t MaxDescriptor = 4096; // the kernel's HID_MAX_DESCRIPTOR_SIZE

std::optional<std::vector<std::uint8_t>> readFile(const std::string& file) {
    if (file.empty()) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    char c = 0;
    while (bytes.size() < MaxDescriptor && in.get(c))
        bytes.push_back(static_cast<std::uint8_t>(c));
    return bytes;
}

struct NodeClaim : DeviceClaim {
    FileLock lock;
};

} // namespace

std::optional<ReportDescriptorInfo> deviceReportLayout(const std::string& sysfsRoot,
                                                       const std::string& path) {
    const auto bytes = readFile(reportDescriptorFile(sysfsRoot, path));
    if (!bytes) return std::nullopt;
    return parseReportDescriptor(bytes->data(), bytes->size());
}

std::unique_ptr<DeviceClaim> claimDevice(const std::string& path, long& holder) {
    holder = 0;
    auto claim = std::make_unique<NodeClaim>();
    switch (claim->lock.lock(path)) {
    case FileLock::Outcome::Locked:
        return claim;
    case FileLock::Outcome::Held:
        holder = claim->lock.holder();
        return nullptr;
    case FileLock::Outcome::Failed:
        break; // a node this user may not open: hid_open_path fails on it and says so
    }
    return std::make_unique<DeviceClaim>();
}

} // namespace qv7
