#include "app/LineStatus.h"

#include "proto/TransferPlan.h"

#include <QCoreApplication>

namespace qv7 {

namespace {

QString registers(int start, int count) {
    return count == 1 ? QCoreApplication::translate("LineStatus", "du registre %1").arg(start)
                      : QCoreApplication::translate("LineStatus", "des registres %1–%2")
                            .arg(start)
                            .arg(start + count - 1);
}

QString exceptionName(int code) {
    switch (code) {
    case 1:
        return QCoreApplication::translate("LineStatus", "fonction illégale");
    case 2:
        return QCoreApplication::translate("LineStatus", "adresse de données illégale");
    case 3:
        return QCoreApplication::translate("LineStatus", "valeur de donnée illégale");
    case 4:
        return QCoreApplication::translate("LineStatus", "défaillance de l'appareil");
    case 5:
        return QCoreApplication::translate("LineStatus", "acquittement");
    case 6:
        return QCoreApplication::translate("LineStatus", "appareil occupé");
    case 8:
        return QCoreApplication::translate("LineStatus", "erreur de parité mémoire");
    case 10:
        return QCoreApplication::translate("LineStatus", "passerelle indisponible");
    case 11:
        return QCoreApplication::translate("LineStatus", "pas de réponse derrière la passerelle");
    default:
        return QCoreApplication::translate("LineStatus", "exception inconnue");
    }
}

} // namespace

QString requestText(std::int32_t step) {
    const auto request = requestOfStep(step);
    if (!request) return {};
    switch (request->kind) {
    case StepKind::ReadInput:
    case StepKind::ReadHolding:
        return QCoreApplication::translate("LineStatus", "lecture %1")
            .arg(registers(request->start, request->count));
    case StepKind::WriteHolding:
        return QCoreApplication::translate("LineStatus", "écriture %1")
            .arg(registers(request->start, request->count));
    }
    return {};
}

QString refusalText(TRejectReason reason, int exceptionCode) {
    switch (reason) {
    case TRejectReason::BadCrc:
        return QCoreApplication::translate("LineStatus", "CRC erroné");
    case TRejectReason::WrongAddress:
        return QCoreApplication::translate("LineStatus", "réponse d'une autre adresse");
    case TRejectReason::Exception:
        return QCoreApplication::translate("LineStatus", "exception %1 %2")
            .arg(QStringLiteral("%1").arg(exceptionCode & 0xFF, 2, 16, QLatin1Char('0')).toUpper(),
                 exceptionName(exceptionCode));
    case TRejectReason::WrongFunction:
        return QCoreApplication::translate("LineStatus", "fonction inattendue");
    case TRejectReason::WrongLength:
        return QCoreApplication::translate("LineStatus", "longueur inattendue");
    case TRejectReason::Stale:
        return QCoreApplication::translate("LineStatus", "réponse périmée");
    }
    return {};
}

QString noAnswerText(std::int32_t step, const QString& lastRefusal) {
    const QString request = requestText(step);
    const QString text =
        request.isEmpty()
            ? QCoreApplication::translate("LineStatus", "L'appareil ne répond pas")
            : QCoreApplication::translate("LineStatus", "L'appareil ne répond pas (%1)").arg(request);
    if (lastRefusal.isEmpty()) return text;
    return QCoreApplication::translate("LineStatus", "%1 ; dernière réponse : %2").arg(text, lastRefusal);
}

} // namespace qv7
