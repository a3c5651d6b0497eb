// Arbitrary file contents through the parameter-file load checks: the image changes only for a
// file that passed every check, and then holds exactly the file's first 200 bytes.
#include "indicator/ParamFile.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The expected type word is the file's own, or one bit off it when the last byte is odd, so both
    // matching and mismatching types are reached.
    std::uint32_t deviceType = 0;
    if (size >= 28) {
        std::memcpy(&deviceType, data + 24, sizeof deviceType);
        if (data[size - 1] & 1) deviceType ^= 0x100;
    }
    TParamImage image;
    image.Filter = 0x5A5A;
    const TParamImage before = image;
    const auto result = qv7::checkParamBytes(
        QByteArrayView(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), deviceType, image);
    if (result == qv7::ParamLoadResult::Loaded) {
        if (size < TParamImage::Size || std::memcmp(image.bytes().data(), data, TParamImage::Size) != 0)
            std::abort();
        if (!qv7::hasParamMagic(image.bytes())) std::abort();
    } else if (!(image == before)) {
        std::abort();
    }
    return 0;
}
