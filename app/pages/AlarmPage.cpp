#include "app/pages/AlarmPage.h"

#include "widgets/MyControls.h"

#include <QString>

namespace qv7::pages {

namespace {

// The bilingual controls' names, alarm by alarm, as the window has always called them.
struct AlarmNames {
    const char *trigger, *setPoint, *hysteresis, *delayGroup, *delay, *contact, *no, *nf, *led;
};
constexpr AlarmNames Names[4] = {
    {"GrBOXAL10", "LabelLangue18", "LabelLangue19", "GrBOXAL11", "LabelLangue20", "GrBOXAL12", "LbNO1",
     "LbNF1", "GroupBoxLangue2"},
    {"GrBOXAL20", "LabelLangue10", "LabelLangue11", "GrBOXAL21", "LabelLangue12", "GrBOXAL22",
     "LabelLangue13", "LabelLangue14", "GroupBoxLangue4"},
    {"GroupBoxLangue7", "LabelLangue7", "LabelLangue8", "GroupBoxLangue8", "LabelLangue9", "GroupBoxLangue6",
     "LabelLangue1", "LabelLangue2", "GroupBoxLangue9"},
    {"GroupBoxLangue11", "LabelLangue28", "LabelLangue29", "GroupBoxLangue12", "LabelLangue30",
     "GroupBoxLangue10", "LabelLangue15", "LabelLangue16", "GroupBoxLangue13"},
};

template <typename W> W* numbered(W* widget, const char* stem, int number) {
    widget->setObjectName(QString::fromLatin1(stem) + QString::number(number));
    return widget;
}

TLabelLangue* label(QWidget* parent, const char* name, const QString& french, const QString& english, int x,
                    int y) {
    auto* result = named(new TLabelLangue(parent), name);
    result->CaptionSet()->setTexts(french, english);
    result->move(x, y);
    return result;
}

TGroupBoxLangue* group(QWidget* parent, const char* name, const QString& french, const QString& english,
                       const QRect& place) {
    auto* result = named(new TGroupBoxLangue(parent), name);
    result->CaptionSet()->setTexts(french, english);
    result->setGeometry(place);
    return result;
}

TRadioButtonLangue* radio(QWidget* parent, const char* stem, int number, const QString& french,
                          const QString& english, int x, int y) {
    auto* result = numbered(new TRadioButtonLangue(parent), stem, number);
    result->CaptionSet()->setTexts(french, english);
    result->move(x, y);
    return result;
}

} // namespace

TAlarmPage::TAlarmPage(int number, FourDigitsQuery fourDigits, QWidget* parent)
    : QWidget(parent), number_(number) {
    setObjectName(QStringLiteral("TabALR%1").arg(number));
    const AlarmNames& n = Names[number - 1];
    const bool first = number == 1;

    GrTrigger =
        group(this, n.trigger, QStringLiteral("Déclenchement"), QStringLiteral("Trigger"), {8, 0, 233, 73});
    LabelSetPoint = label(GrTrigger, n.setPoint, QStringLiteral("Seuil d'alarme"),
                          QStringLiteral("Alarm set point"), 16, 22);
    EdAlr = numbered(new TMaskEdit(GrTrigger), "EdAlr", number);
    EdAlr->setGeometry(136, 18, 64, 23);
    LabelHysteresis =
        label(GrTrigger, n.hysteresis, QStringLiteral("Hystérésis"), QStringLiteral("Hysteresis"), 16, 46);
    EdHys = numbered(new TMaskEdit(GrTrigger), "EdHys", number);
    EdHys->setGeometry(136, 42, 64, 23);

    GrDelay = group(this, n.delayGroup, QStringLiteral("Delai"), QStringLiteral("Delay"), {8, 72, 233, 49});
    LabelDelay = label(GrDelay, n.delay, QStringLiteral("Delai en secondes"),
                       QStringLiteral("Delay in seconds"), 16, 22);
    EdDel = numbered(new TMaskEdit(GrDelay), "EdDel", number);
    EdDel->setGeometry(156, 18, 45, 23);
    EdDel->setEditMask(QStringLiteral("!90,0;1;_"));
    EdDel->setText(QStringLiteral(" 0,0"));

    GrContact =
        group(this, n.contact, QStringLiteral("Contact"), QStringLiteral("Contact"), {8, 120, 233, 97});
    RdRelNo = radio(GrContact, "RdRelNo", number, QStringLiteral("Normalement ouvert"),
                    QStringLiteral("Normally open"), 24, 24);
    LabelNo =
        label(GrContact, n.no, QStringLiteral("fermé au dessus du seuil"),
              first ? QStringLiteral("closing on rising level") : QStringLiteral("(Closing on rising level)"),
              40, 40);
    RdRelNf = radio(GrContact, "RdRelNf", number, QStringLiteral("Normalement fermé"),
                    QStringLiteral("Normally closed"), 24, 56);
    LabelNf = label(GrContact, n.nf, QStringLiteral("fermé au dessous du seuil"),
                    first ? QStringLiteral("closing on falling level")
                          : QStringLiteral("(Closing on falling level)"),
                    40, 72);
    RdRelNo->setChecked(true);

    GrLed = group(this, n.led, QStringLiteral("Voyant"), QStringLiteral("LED"), {8, 216, 233, 73});
    RdLedNe = radio(GrLed, "RdLedNe", number, QStringLiteral("Allumé si contact NO fermé"),
                    QStringLiteral("Lit on falling level"), 24, 24);
    RdLedNa = radio(GrLed, "RdLedNa", number, QStringLiteral("Allumé si contact NF fermé"),
                    QStringLiteral("(Lit on rising level)"), 24, 48);
    RdLedNa->setChecked(true);

    for (TMaskEdit* edit : {EdAlr, EdHys, EdDel})
        edit->setFont(courierFont());
    bindParam(EdAlr, key("threshold"));
    bindParam(EdHys, key("hysteresis"));
    bindParam(EdDel, key("delay"));
    for (QWidget* button : {static_cast<QWidget*>(RdRelNo), static_cast<QWidget*>(RdRelNf)})
        bindParam(button, key("contact"));
    for (QWidget* button : {static_cast<QWidget*>(RdLedNe), static_cast<QWidget*>(RdLedNa)})
        bindParam(button, key("led"));
    for (TMaskEdit* edit : {EdAlr, EdHys})
        watchDisplayRange(edit, fourDigits);
}

std::string TAlarmPage::key(const char* member) const {
    return "alarm" + std::to_string(number_) + "." + member;
}

} // namespace qv7::pages
