#include "app/LineStatus.h"

#include "indicator/TransferPlan.h"

#include <QCoreApplication>

namespace qv7 {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("LineStatus", text);
}

QString registers(int start, int count) {
    return count == 1 ? tr("du registre %1").arg(start)
                      : tr("des registres %1–%2").arg(start).arg(start + count - 1);
}

QString exceptionName(int code) {
    switch (code) {
    case 1:
        return tr("fonction illégale");
    case 2:
        return tr("adresse de données illégale");
    case 3:
        return tr("valeur de donnée illégale");
    case 4:
        return tr("défaillance de l'appareil");
    case 5:
        return tr("acquittement");
    case 6:
        return tr("appareil occupé");
    case 8:
        return tr("erreur de parité mémoire");
    case 10:
        return tr("passerelle indisponible");
    case 11:
        return tr("pas de réponse derrière la passerelle");
    default:
        return tr("exception inconnue");
    }
}

} // namespace

QString requestText(std::int32_t step) {
    const auto request = requestOfStep(step);
    if (!request) return {};
    switch (request->kind) {
    case StepKind::ReadInput:
        return tr("lecture ") + registers(request->start, request->count);
    case StepKind::ReadHolding:
        return tr("lecture ") + registers(request->start, request->count);
    case StepKind::WriteHolding:
        return tr("écriture ") + registers(request->start, request->count);
    }
    return {};
}

QString refusalText(TRejectReason reason, int exceptionCode) {
    switch (reason) {
    case TRejectReason::BadCrc:
        return tr("CRC erroné");
    case TRejectReason::WrongAddress:
        return tr("réponse d'une autre adresse");
    case TRejectReason::Exception:
        return tr("exception %1 %2")
            .arg(QStringLiteral("%1").arg(exceptionCode & 0xFF, 2, 16, QLatin1Char('0')).toUpper(),
                 exceptionName(exceptionCode));
    case TRejectReason::WrongFunction:
        return tr("fonction inattendue");
    case TRejectReason::WrongLength:
        return tr("longueur inattendue");
    case TRejectReason::Stale:
        return tr("réponse périmée");
    }
    return {};
}

QString noAnswerText(std::int32_t step, const QString& lastRefusal) {
    const QString request = requestText(step);
    QString text = tr("L'appareil ne répond pas");
    if (!request.isEmpty()) text += QStringLiteral(" (%1)").arg(request);
    if (!lastRefusal.isEmpty()) text += tr(" ; dernière réponse : %1").arg(lastRefusal);
    return text;
}

} // namespace qv7
