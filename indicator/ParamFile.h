// Parameter files (.QV): exactly the 200 bytes of the parameter image, starting with the magic.
// Pure functions without dialogs, used by the indicator component and by qv7ctl on their own
// (window or main) thread. A failed save leaves the old file intact.
#pragma once

#include "base/TextMarks.h"
#include "proto/ParamImage.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <functional>

namespace qv7 {

inline constexpr char ParamMagicText[] = "[QV7] File V1.0-RKWB"; // 20 characters, length byte first

// Messages of a rejected load, shown as they are.
inline constexpr char ParamFileIncorrect[] = QT_TRANSLATE_NOOP("ParamFile", "  Fichier incorrect !  ");
inline constexpr char ParamFileOtherType[] =
    QT_TRANSLATE_NOOP("ParamFile", "Le fichier ne correspond pas à ce type d'appareil");

// Why a file is incorrect, said after ParamFileIncorrect: which check failed.
inline constexpr char ParamFileTooShort[] = QT_TRANSLATE_NOOP(
    "ParamFile", "Le fichier contient %1 octets ; un fichier de paramètres en contient 200.");
inline constexpr char ParamFileNoMagic[] = QT_TRANSLATE_NOOP(
    "ParamFile",
    "Le fichier ne commence pas par « [QV7] File V1.0-RKWB » : ce n'est pas un fichier de paramètres.");

enum class ParamLoadResult {
    Loaded,          // the image now holds the file's 200 bytes
    Incorrect,       // shorter than 200 bytes, or the magic is wrong
    OtherDeviceType, // bytes 24-27 differ from the expected type word
};

// The text to show for a result (empty for Loaded), and its French source for the window's
// translations (context "ParamFile").
QString paramLoadMessage(ParamLoadResult result);
const char* paramLoadText(ParamLoadResult result);

// The check an Incorrect file failed: ParamFileTooShort (with the file's size in `bytes`) or
// ParamFileNoMagic; null text when the first bytes pass both.
struct ParamFileFault {
    const char* text = nullptr;
    qsizetype bytes = 0;
};
ParamFileFault incorrectReason(QByteArrayView bytes);

// Sets bytes 0-20 to the length byte 20 and the magic text.
void setParamMagic(TParamImage& params);
bool hasParamMagic(std::span<const std::uint8_t> bytes);

// The load checks on the first bytes of a file (at most 200 are looked at; any later bytes are
// ignored). `out` is written only when the result is Loaded. Never raises.
ParamLoadResult checkParamBytes(QByteArrayView bytes, std::uint32_t deviceType, TParamImage& out);

// Reads at most 200 bytes of `path` and applies checkParamBytes. Raises EInOutError::cannotOpen(path)
// when the file does not open for reading, notRegular or tooLarge (over ParamFileCap) when it is no
// file to read; `out` is then unchanged.
// `fault`, when given, says which check an Incorrect file failed.
ParamLoadResult loadParamFile(const QString& path, std::uint32_t deviceType, TParamImage& out,
                              ParamFileFault* fault = nullptr);

// The SHA-256 (lower-case hex) of the 200 bytes a parameter file of `params` holds, magic set: the
// digest of the file read -o saves, whatever the record in memory holds in its magic bytes.
QString paramFileSha256(TParamImage params);

// Writes the 200 bytes of `params`, magic set, atomically. On success `params` keeps the magic from
// then on; on failure raises EInOutError::cannotCreate(path) with the system's error number as its
// code, leaving `params` and any previous file at `path` untouched. `beforeRename`: see saveWholeFile.
void saveParamFile(const QString& path, TParamImage& params, const std::function<int()>& beforeRename = {});

} // namespace qv7
