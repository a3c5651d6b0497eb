#include "app/pages/PageSeparator.h"

#include "app/pages/PageKit.h"

namespace qv7::pages {

void showSeparator(QWidget* root, QChar separator) {
    for (TMaskEdit* edit : root->findChildren<TMaskEdit*>())
        showSeparator(edit, separator);
}

bool showSeparator(TMaskEdit* edit, QChar separator) {
    // Only a number's one literal, the decimal point, changes; other masks stay as they are.
    const QString literals = edit->literals();
    if (literals.size() != 1 || literals == separator) return false;
    const QChar old = literals.front();
    if (old != u',' && old != u'.') return false;
    QString text = edit->maskedText();
    QString mask = edit->EditMask();
    const qsizetype end = mask.indexOf(u';');
    mask = mask.left(end).replace(old, separator) + (end < 0 ? QString() : mask.mid(end));
    edit->setEditMask(mask);
    edit->setMaskedText(text.replace(old, separator));
    return true;
}

} // namespace qv7::pages
