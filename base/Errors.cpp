#include "base/Errors.h"

#include <cerrno>

namespace qv7 {

ERangeError::ERangeError() : RunTimeError("Erreur de vérification d'étendue") {}

ERangeError::ERangeError(const std::string& message) : RunTimeError(message) {}

EIntOverflow::EIntOverflow() : RunTimeError("Débordement d'entier") {}

EInOutError::EInOutError(const std::string& message, int code) : RunTimeError(message), code_(code) {}

EInOutError EInOutError::cannotOpen(const std::string& fileName) {
    return EInOutError("Impossible d'ouvrir le fichier " + fileName);
}

EInOutError EInOutError::cannotCreate(const std::string& fileName, int err) {
    return EInOutError("Impossible de créer le fichier " + fileName, err);
}

EInOutError EInOutError::notRegular(const std::string& fileName) {
    return EInOutError("Le fichier " + fileName + " n'est pas un fichier ordinaire");
}

EInOutError EInOutError::tooLarge(const std::string& fileName) {
    return EInOutError("Le fichier " + fileName + " est trop grand");
}

EInOutError EInOutError::fromErrno(int err) {
    switch (err) {
    case ENOENT:
        return EInOutError("Fichier introuvable", err);
    case EACCES:
    case EPERM:
    case EROFS:
        return EInOutError("Accès au fichier refusé", err);
    case ENOSPC:
    case EDQUOT:
        return EInOutError("Disque plein", err);
    default:
        return EInOutError("Erreur E/S " + std::to_string(err), err);
    }
}

} // namespace qv7
