// The HID-serial bridge's port formats: the code its port-format report carries, and the line it
// sets up. One table for the bridge and the simulated bridge. Pure data.
#pragma once

#include "base/FrameLink.h"

#include <cstdint>

enum class TPortFormat : std::uint8_t { _9600_8N2 = 0, _9600_8E1 = 1, _19200_8E1 = 2, _38400_8E1 = 3 };

namespace qv7 {

struct PortFormatRow {
    TPortFormat code;
    int baud;
    char parity; // 'N' or 'E'
    int stopBits;
};

inline constexpr PortFormatRow PortFormats[] = {
    {TPortFormat::_9600_8N2, 9600, 'N', 2},
    {TPortFormat::_9600_8E1, 9600, 'E', 1},
    {TPortFormat::_19200_8E1, 19200, 'E', 1},
    {TPortFormat::_38400_8E1, 38400, 'E', 1},
};

// The line of a port-format code; an unknown code leaves the bridge at its first format's speed.
constexpr LineFormat lineFormatOf(std::uint8_t code) {
    for (const PortFormatRow& row : PortFormats)
        if (static_cast<std::uint8_t>(row.code) == code)
            // Start bit, 8 data bits, then parity and one stop bit or no parity and two.
            return {row.baud, 1 + 8 + (row.parity == 'N' ? 0 : 1) + row.stopBits};
    return {PortFormats[0].baud, 11};
}

} // namespace qv7
