#include "app/About.h"

#include "app/Language.h"
#include "widgets/WindowLook.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSysInfo>

namespace {
const QString MakerName = QStringLiteral("Norvex");
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(qv7::windowFont());
    QPalette black = palette();
    black.setColor(QPalette::WindowText, Qt::black);
    setPalette(black);
    setFixedSize(265, 217);

    buildMakerName();
    buildPanel();
    buildLanguageChoice();

    OKButton = new QPushButton(this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(96, 178, 65, 33);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    retranslate();
}

// The language of every window, chosen while they run: each names itself, whatever the current one.
void TAboutBox::buildLanguageChoice() {
    LanguageLabel = new QLabel(Panel1);
    LanguageLabel->setObjectName(QStringLiteral("LanguageLabel"));
    LanguageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LanguageLabel->setGeometry(100, 30, 64, 17);

    LanguageChoice = new QComboBox(Panel1);
    LanguageChoice->setObjectName(QStringLiteral("LanguageChoice"));
    LanguageChoice->addItem(QStringLiteral("Français"));
    LanguageChoice->addItem(QStringLiteral("English"));
    LanguageChoice->setGeometry(168, 28, 89, 21);
    LanguageLabel->setBuddy(LanguageChoice);
    connect(LanguageChoice, &QComboBox::activated, this,
            [](int index) { qv7::setLanguage(index == 1 ? qv7::Language::English : qv7::Language::French); });
}

void TAboutBox::buildMakerName() {
    // The name in black but its last character, which is red: Label1 ends where Label2 starts,
    // so the two read as one word.
    auto* label1 = new QLabel(MakerName.left(MakerName.size() - 1), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setFont(qv7::makerFont());
    label1->setAlignment(Qt::AlignRight | Qt::AlignTop);
    label1->setGeometry(67, 2, 178 - 67, 28);

    auto* label2 = new QLabel(MakerName.right(1), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setFont(qv7::makerFont());
    QPalette red = label2->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    label2->setPalette(red);
    label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label2->move(178, 2);
    label2->adjustSize();
}

void TAboutBox::buildPanel() {
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(1);
    Panel1->setGeometry(0, 32, 265, 137);

    ProductName = addPanelLabel("ProductName", QStringLiteral("ProductName"), 24, 8);
    QFont bold = ProductName->font();
    bold.setBold(true);
    ProductName->setFont(bold);
    Version = addPanelLabel("Version", QStringLiteral("Version"), 24, 32);
    Programmeur = addPanelLabel("Programmeur", QStringLiteral("Programmeur"), 24, 56);
    Programmeur->setFixedSize(168, 17);
    Systeme = addPanelLabel("Systeme", QStringLiteral("Systeme"), 16, 96);
    VersionWin = addPanelLabel("VersionWin", QStringLiteral("VersionWin"), 16, 112);
    // A link's look: the box has no room for a second button's frame.
    MonitorLink = new QPushButton(Panel1);
    MonitorLink->setObjectName(QStringLiteral("MonitorLink"));
    MonitorLink->setStyleSheet(QStringLiteral(
        "QPushButton { border: none; padding: 0; color: palette(link); text-decoration: underline; }"));
    MonitorLink->setCursor(Qt::PointingHandCursor);
    MonitorLink->move(24, 76);
    connect(MonitorLink, &QPushButton::clicked, this, [this] {
        accept();
        emit frameMonitorAsked();
    });
}

QLabel* TAboutBox::addPanelLabel(const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, Panel1);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QString TAboutBox::systemText(const QString& productName) {
    if (productName.isEmpty()) return {};
    return tr("Système : %1").arg(productName);
}

QString TAboutBox::versionText(const QString& release, const QString& extra) {
    return tr("Version n° : %1 %2").arg(release, extra);
}

void TAboutBox::FormShow() {
    shown_ = true;
    retranslate();
}

// Before its first showing the box holds its stored texts; from then on, the texts it fills.
void TAboutBox::retranslate() {
    LanguageLabel->setText(tr("Langue :"));
    LanguageChoice->setCurrentIndex(qv7::currentLanguage() == qv7::Language::English ? 1 : 0);
    OKButton->setText(tr("OK"));
    MonitorLink->setText(tr("Moniteur de trames (F9)"));
    MonitorLink->adjustSize();
    if (!shown_) {
        setWindowTitle(tr("A propos ..."));
        return;
    }
    setWindowTitle(tr("A propos de ..."));
    ProductName->setText(tr("ZEZOR - Français"));
    Version->setText(tr("Version : %1").arg(QStringLiteral("1.03")));
    Programmeur->setText(tr("Programmeur : %1").arg(tr(AuthorName)));
    // Linux keeps no Windows version record: the distribution names the system, and the
    // kernel release with the machine stand for the version number and its extra text.
    const QString system = systemText(QSysInfo::prettyProductName());
    if (!system.isEmpty()) Systeme->setText(system);
    VersionWin->setText(versionText(QSysInfo::kernelVersion(), QSysInfo::currentCpuArchitecture()));
    for (QLabel* label : {ProductName, Version, Systeme, VersionWin})
        label->adjustSize();
}

void TAboutBox::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) retranslate();
    QDialog::changeEvent(event);
}

void TAboutBox::showEvent(QShowEvent* event) {
    FormShow();
    if (!event->spontaneous()) qv7::centreOnScreen(*this);
    OKButton->setFocus();
    QDialog::showEvent(event);
}
