// What HidapiAccess asks of the system beyond hidapi: a device's report layout and the claim that
// keeps other programs off it. One file per platform, chosen by CMake: HidapiLinux.cpp (the report
// descriptor in sysfs, an flock on the hidraw node), HidapiWindows.cpp (HidP_GetCaps on the device,
// a named mutex per device path).
#pragma once

#include "link/HidAccess.h"
#include "link/ReportDescriptor.h"

#include <memory>
#include <optional>
#include <string>

namespace qv7 {

// The report lengths of the device at `path` (identifier byte included) and whether it numbers its
// reports; nothing when they cannot be learnt. `sysfsRoot`: where Linux's hidraw class lives.
std::optional<ReportDescriptorInfo> deviceReportLayout(const std::string& sysfsRoot, const std::string& path);

// HidAccess::claim for a real device.
std::unique_ptr<DeviceClaim> claimDevice(const std::string& path, long& holder);

} // namespace qv7
