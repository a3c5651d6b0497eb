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

bool isException(const std::optional<Refusal>& refusal) {
    return refusal && refusal->first == TRejectReason::Exception;
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
    return QString::fromStdString(RejectText(reason, exceptionCode, masterText));
}

std::string masterText(const char* french) {
    return QCoreApplication::translate("TMiniModbus", french).toStdString();
}

QString noAnswerText(std::int32_t step, const std::optional<Refusal>& lastRefusal) {
    const QString request = requestText(step);
    if (isException(lastRefusal)) {
        const QString refusal = refusalText(lastRefusal->first, lastRefusal->second);
        return request.isEmpty()
                   ? QCoreApplication::translate("LineStatus", "L'indicateur refuse la requête : %1")
                         .arg(refusal)
                   : QCoreApplication::translate("LineStatus", "L'indicateur refuse la requête (%1) : %2")
                         .arg(request, refusal);
    }
    const QString text =
        request.isEmpty()
            ? QCoreApplication::translate("LineStatus", "L'appareil ne répond pas")
            : QCoreApplication::translate("LineStatus", "L'appareil ne répond pas (%1)").arg(request);
    if (!lastRefusal) return text;
    return QCoreApplication::translate("LineStatus", "%1 ; dernière réponse : %2")
        .arg(text, refusalText(lastRefusal->first, lastRefusal->second));
}

LinkState noAnswerState(const std::optional<Refusal>& lastRefusal) {
    return isException(lastRefusal) ? LinkState::Refused : LinkState::NoAnswer;
}

QString connectPageText(LinkState state) {
    switch (state) {
    case LinkState::Disconnected:
        break;
    case LinkState::Connected:
        return QCoreApplication::translate("LineStatus", "L'appareil USB est connecté.");
    case LinkState::NoAnswer:
        return QCoreApplication::translate("LineStatus",
                                           "L'appareil USB est connecté, mais l'indicateur ne répond pas : "
                                           "vérifier qu'il est alimenté et relié au pont USB.");
    case LinkState::Refused:
        return QCoreApplication::translate("LineStatus",
                                           "L'appareil USB est connecté, mais l'indicateur refuse les "
                                           "requêtes (voir la ligne d'état).");
    }
    return QCoreApplication::translate("TMainForm", "Connecter la prise USB à l'arrière de l'appareil");
}

} // namespace qv7
