#include "base/Errors.h"

#include "base/TextMarks.h"

#include <cerrno>

namespace qv7 {

namespace {
// The context under which the base layer's messages are translated.
constexpr char Context[] = "RunTimeError";
} // namespace

std::string fillTemplate(std::string_view text, const std::vector<std::string>& arguments) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const auto index = static_cast<std::size_t>(next - '1');
        // One pass: an argument that holds "%2" stays as it is.
        if (text[i] == '%' && next >= '1' && next <= '9' && index < arguments.size()) {
            result += arguments[index];
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

RunTimeError::RunTimeError(const char* context, const char* text, std::vector<std::string> arguments)
    : std::runtime_error(fillTemplate(text, arguments)), context_(context), text_(text),
      arguments_(std::make_shared<const std::vector<std::string>>(std::move(arguments))) {}

const std::vector<std::string>& RunTimeError::arguments() const {
    static const std::vector<std::string> none;
    return arguments_ ? *arguments_ : none;
}

ERangeError::ERangeError()
    : RunTimeError(Context, QT_TRANSLATE_NOOP("RunTimeError", "Erreur de vérification d'étendue")) {}

ERangeError::ERangeError(const std::string& message) : RunTimeError(message) {}

EIntOverflow::EIntOverflow()
    : RunTimeError(Context, QT_TRANSLATE_NOOP("RunTimeError", "Débordement d'entier")) {}

EInOutError::EInOutError(const std::string& message, int code) : RunTimeError(message), code_(code) {}

EInOutError::EInOutError(const char* text, std::vector<std::string> arguments, int code)
    : RunTimeError(Context, text, std::move(arguments)), code_(code) {}

EInOutError EInOutError::cannotOpen(const std::string& fileName) {
    return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Impossible d'ouvrir le fichier %1"), {fileName});
}

EInOutError EInOutError::cannotCreate(const std::string& fileName, int err) {
    return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Impossible de créer le fichier %1"), {fileName},
                       err);
}

EInOutError EInOutError::notRegular(const std::string& fileName) {
    return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Le fichier %1 n'est pas un fichier ordinaire"),
                       {fileName});
}

EInOutError EInOutError::tooLarge(const std::string& fileName) {
    return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Le fichier %1 est trop grand"), {fileName});
}

EInOutError EInOutError::fromErrno(int err) {
    switch (err) {
    case ENOENT:
        return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Fichier introuvable"), {}, err);
    case EACCES:
    case EPERM:
    case EROFS:
        return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Accès au fichier refusé"), {}, err);
    case ENOSPC:
#ifdef EDQUOT // Windows has no quotas of its own error number
    case EDQUOT:
#endif
        return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Disque plein"), {}, err);
    default:
        return EInOutError(QT_TRANSLATE_NOOP("RunTimeError", "Erreur E/S %1"), {std::to_string(err)}, err);
    }
}

} // namespace qv7
