// TAboutBox: the about box shown modally from the main window's logo. It fills its texts each
// time it is shown: product, version, author and the platform the tool runs on. It also carries
// the choice of the windows' language, and an entry that opens the frame monitor (the main window
// has no menu for it). Window thread.
#pragma once

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);

    // Fills the caption and the texts; runs on every showing.
    void FormShow();

    // The platform line from the system's product name; empty when the system names none
    // (the stored "Systeme" then stays).
    static QString systemText(const QString& productName);
    // The version line: the kernel release, one blank, then the extra text (the machine),
    // which may be empty and still leaves the blank.
    static QString versionText(const QString& release, const QString& extra);

    static constexpr const char* AuthorName = QT_TR_NOOP("Équipe qv7cfg");

signals:
    // The user chose the frame monitor; the box has closed, so the monitor is not behind its modality.
    void frameMonitorAsked();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildMakerName();
    void buildPanel();
    void buildLanguageChoice();
    void retranslate();
    QLabel* addPanelLabel(const char* name, const QString& text, int x, int y);

    QFrame* Panel1 = nullptr;
    QLabel* ProductName = nullptr;
    QLabel* Version = nullptr;
    QLabel* Programmeur = nullptr;
    QLabel* Systeme = nullptr;
    QLabel* VersionWin = nullptr;
    QPushButton* MonitorLink = nullptr;
    QPushButton* OKButton = nullptr;
    QLabel* LanguageLabel = nullptr;
    QComboBox* LanguageChoice = nullptr;
    bool shown_ = false;
};
