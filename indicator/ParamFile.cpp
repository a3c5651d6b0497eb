#include "indicator/ParamFile.h"

#include "base/Errors.h"
#include "indicator/FileAccess.h"

#include <algorithm>
#include <cstring>

namespace qv7 {

namespace {
constexpr std::size_t MagicLength = sizeof(ParamMagicText) - 1;
static_assert(MagicLength == 20);
constexpr std::size_t TypeWordOffset = offsetof(TParamImage, DeviceType);
} // namespace

const char* paramLoadText(ParamLoadResult result) {
    switch (result) {
    case ParamLoadResult::Incorrect:
        return ParamFileIncorrect;
    case ParamLoadResult::OtherDeviceType:
        return ParamFileOtherType;
    case ParamLoadResult::Loaded:
        break;
    }
    return "";
}

QString paramLoadMessage(ParamLoadResult result) {
    return QString::fromUtf8(paramLoadText(result));
}

void setParamMagic(TParamImage& params) {
    params.Magic[0] = static_cast<std::uint8_t>(MagicLength);
    std::memcpy(params.Magic.data() + 1, ParamMagicText, MagicLength);
}

QString paramFileSha256(TParamImage params) {
    setParamMagic(params);
    const auto bytes = params.bytes();
    return sha256Hex(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

bool hasParamMagic(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 1 + MagicLength || bytes[0] != MagicLength) return false;
    return std::memcmp(bytes.data() + 1, ParamMagicText, MagicLength) == 0;
}

ParamLoadResult checkParamBytes(QByteArrayView bytes, std::uint32_t deviceType, TParamImage& out) {
    if (bytes.size() < static_cast<qsizetype>(TParamImage::Size)) return ParamLoadResult::Incorrect;
    std::array<std::uint8_t, TParamImage::Size> buffer{};
    std::memcpy(buffer.data(), bytes.data(), TParamImage::Size);
    if (!hasParamMagic(buffer)) return ParamLoadResult::Incorrect;
    std::uint32_t fileType = 0;
    std::memcpy(&fileType, buffer.data() + TypeWordOffset, sizeof fileType);
    if (fileType != deviceType) return ParamLoadResult::OtherDeviceType;
    out = TParamImage::fromBytes(buffer);
    return ParamLoadResult::Loaded;
}

ParamFileFault incorrectReason(QByteArrayView bytes) {
    if (bytes.size() < static_cast<qsizetype>(TParamImage::Size)) return {ParamFileTooShort, bytes.size()};
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (!hasParamMagic(std::span(first, TParamImage::Size))) return {ParamFileNoMagic, bytes.size()};
    return {};
}

ParamLoadResult loadParamFile(const QString& path, std::uint32_t deviceType, TParamImage& out,
                              ParamFileFault* fault) {
    const FileRead read = readBoundedFile(fileNameBytes(path), ParamFileCap, TParamImage::Size);
    raiseIfRefused(path, read);
    if (read.error != 0) throw EInOutError::cannotOpen(path.toStdString());
    const ParamLoadResult result = checkParamBytes(QByteArrayView(read.bytes), deviceType, out);
    if (fault != nullptr && result == ParamLoadResult::Incorrect)
        *fault = incorrectReason(QByteArrayView(read.bytes));
    return result;
}

void saveParamFile(const QString& path, TParamImage& params, const std::function<int()>& beforeRename) {
    // The magic goes into a copy first: a save that fails leaves the image as it was.
    TParamImage marked = params;
    setParamMagic(marked);
    const auto data = marked.bytes();
    const int error = saveWholeFile(fileNameBytes(path),
                                    std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                                    beforeRename);
    if (error != 0) throw EInOutError::cannotCreate(path.toStdString(), error);
    params = marked;
}

} // namespace qv7
