#include "app/SendChecks.h"

#include "widgets/Messages.h"

#include <QCoreApplication>

namespace qv7 {

void showUnsendable(const ParamSendFault& fault) {
    const QString label = QString::fromStdString(fault.row->french);
    const QString text =
        fault.kind == ParamSendFault::Kind::NotOffered
            ? QCoreApplication::translate("SendChecks", "%1 : le code %2 n'est pas proposé par cet appareil. "
                                                        "Rien n'a été écrit.")
            : QCoreApplication::translate("SendChecks", "%1 : la valeur %2 ne tient pas dans son registre. "
                                                        "Rien n'a été écrit.");
    showMessage(text.arg(label).arg(fault.raw));
}

} // namespace qv7
