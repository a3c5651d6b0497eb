// Report descriptors come from the device: any bytes must parse or be refused without harm.
#include "link/ReportDescriptor.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto info = qv7::parseReportDescriptor(data, size);
    if (info && (info->inputLength < 0 || info->outputLength < 0)) std::abort();
    return 0;
}
