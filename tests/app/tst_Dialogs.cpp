// The indicator's file dialogs on Qt: the filter, title, start directory and proposed name the user
// is shown, the default extension and the overwrite question, answered in advance through hooks.
#include "app/Dialogs.h"
#include "widgets/FileDialog.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>

#include <deque>

namespace {

const QString BarFilter = QStringLiteral("Fichiers indicateur (*.QV)|*.QV|Tous les fichiers (*.*)|*.*");

// Answers the file dialogs and the overwrite questions from queues, and keeps what was shown.
struct ScriptedUser {
    std::deque<std::optional<QString>> fileAnswers;
    std::deque<bool> questionAnswers;
    struct Shown {
        QString title, directory, selected, defaultSuffix;
        QStringList filters;
        QFileDialog::AcceptMode mode;
    };
    QList<Shown> dialogs;
    QStringList questions;

    ScriptedUser() {
        qv7::setFileDialogHook([this](QFileDialog& dialog) {
            const QStringList selected = dialog.selectedFiles();
            dialogs.append({dialog.windowTitle(), dialog.directory().absolutePath(),
                            selected.isEmpty() ? QString() : QFileInfo(selected.first()).fileName(),
                            dialog.defaultSuffix(), dialog.nameFilters(), dialog.acceptMode()});
            std::optional<QString> answer;
            if (!fileAnswers.empty()) {
                answer = fileAnswers.front();
                fileAnswers.pop_front();
            }
            return answer;
        });
        qv7::setQuestionHook([this](const QString&, const QString& text) {
            questions << text;
            const bool yes = !questionAnswers.empty() && questionAnswers.front();
            if (!questionAnswers.empty()) questionAnswers.pop_front();
            return yes;
        });
    }
    ~ScriptedUser() {
        qv7::setFileDialogHook({});
        qv7::setQuestionHook({});
    }
};

TorvikDialogs::FileDialog saveRequest(const QString& directory) {
    TorvikDialogs::FileDialog request;
    request.title = QStringLiteral("sauve un fichier indicateur");
    request.filter = BarFilter;
    request.directory = directory;
    request.proposedName = QStringLiteral("Qv7-UNI-RS");
    request.defaultExtension = QStringLiteral("QV");
    request.confirmOverwrite = true;
    return request;
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

private slots:
    void filter_becomes_qt_name_filters_data() {
        QTest::addColumn<QString>("bar");
        QTest::addColumn<QStringList>("filters");
        QTest::newRow("parameter files")
            << BarFilter << QStringList{"Fichiers indicateur (*.QV)", "Tous les fichiers (*.*)"};
        QTest::newRow("description without pattern")
            << QStringLiteral("Linéarisation|*.LIN") << QStringList{"Linéarisation (*.LIN)"};
        QTest::newRow("several patterns")
            << QStringLiteral("Textes|*.txt;*.lst") << QStringList{"Textes (*.txt *.lst)"};
        QTest::newRow("dangling description dropped")
            << QStringLiteral("Tout|*.*|Seul") << QStringList{"Tout (*.*)"};
        QTest::newRow("empty") << QString() << QStringList{};
    }
    void filter_becomes_qt_name_filters() {
        QFETCH(QString, bar);
        QFETCH(QStringList, filters);
        QCOMPARE(qv7::nameFilters(bar), filters);
    }

    void default_extension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        QTest::newRow("no extension") << "/tmp/a"
                                      << "/tmp/a.QV";
        QTest::newRow("own extension kept") << "/tmp/a.bak"
                                            << "/tmp/a.bak";
        QTest::newRow("dot in the directory only") << "/tmp/v1.0/a"
                                                   << "/tmp/v1.0/a.QV";
        QTest::newRow("already QV") << "/tmp/a.QV"
                                    << "/tmp/a.QV";
    }
    void default_extension() {
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QCOMPARE(qv7::withDefaultExtension(typed, QStringLiteral("QV")), chosen);
        QCOMPARE(qv7::withDefaultExtension(typed, QString()), typed);
    }

    void save_dialog_shows_title_filters_directory_and_proposed_name() {
        QTemporaryDir dir;
        ScriptedUser user;
        user.fileAnswers.push_back(dir.filePath(QStringLiteral("essai")));
        TFileDialogs dialogs;
        const auto chosen = dialogs.askFileName(saveRequest(dir.path()), true);
        QCOMPARE(chosen, std::optional<QString>(dir.filePath(QStringLiteral("essai.QV"))));
        QCOMPARE(user.dialogs.size(), 1);
        const auto& shown = user.dialogs.first();
        QCOMPARE(shown.title, QStringLiteral("sauve un fichier indicateur"));
        QCOMPARE(shown.filters, (QStringList{"Fichiers indicateur (*.QV)", "Tous les fichiers (*.*)"}));
        QCOMPARE(shown.directory, QDir(dir.path()).absolutePath());
        QCOMPARE(shown.selected, QStringLiteral("Qv7-UNI-RS"));
        QCOMPARE(shown.mode, QFileDialog::AcceptSave);
        QVERIFY(user.questions.isEmpty());
    }

    void open_dialog_starts_in_the_current_directory() {
        ScriptedUser user;
        user.fileAnswers.push_back(std::nullopt);
        TFileDialogs dialogs;
        TorvikDialogs::FileDialog request;
        request.title = QStringLiteral("Charge un fichier indicateur");
        request.filter = BarFilter;
        request.directory = QStringLiteral(".");
        QCOMPARE(dialogs.askFileName(request, false), std::nullopt);
        QCOMPARE(user.dialogs.first().title, QStringLiteral("Charge un fichier indicateur"));
        QCOMPARE(user.dialogs.first().directory, QDir::current().absolutePath());
        QCOMPARE(user.dialogs.first().mode, QFileDialog::AcceptOpen);
    }

    void open_dialog_adds_no_extension() {
        ScriptedUser user;
        user.fileAnswers.push_back(QStringLiteral("/tmp/sans"));
        TFileDialogs dialogs;
        TorvikDialogs::FileDialog request;
        request.defaultExtension = QStringLiteral("QV"); // ignored when opening
        QCOMPARE(dialogs.askFileName(request, false), std::optional<QString>(QStringLiteral("/tmp/sans")));
    }

    void existing_file_is_replaced_only_when_the_user_agrees_data() {
        QTest::addColumn<bool>("replace");
        QTest::newRow("yes: the existing file") << true;
        QTest::newRow("no: back to the dialog") << false;
    }
    void existing_file_is_replaced_only_when_the_user_agrees() {
        QFETCH(bool, replace);
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("old.QV")));
        ScriptedUser user;
        // Typed without extension: the question concerns the name with the extension added.
        user.fileAnswers.push_back(dir.filePath(QStringLiteral("old")));
        user.fileAnswers.push_back(dir.filePath(QStringLiteral("new")));
        user.questionAnswers.push_back(replace);
        TFileDialogs dialogs;
        const auto chosen = dialogs.askFileName(saveRequest(dir.path()), true);
        QCOMPARE(user.questions.size(), 1);
        QVERIFY(user.questions.first().contains(QStringLiteral("old.QV")));
        QVERIFY(user.questions.first().contains(QStringLiteral("existe déjà")));
        const QString expected = dir.filePath(replace ? QStringLiteral("old.QV") : QStringLiteral("new.QV"));
        QCOMPARE(chosen, std::optional<QString>(expected));
        QCOMPARE(user.dialogs.size(), replace ? 1 : 2);
    }

    void cancel_after_refusing_to_replace_chooses_nothing() {
        QTemporaryDir dir;
        touch(dir.filePath(QStringLiteral("old.QV")));
        ScriptedUser user;
        user.fileAnswers.push_back(dir.filePath(QStringLiteral("old.QV")));
        user.fileAnswers.push_back(std::nullopt);
        user.questionAnswers.push_back(false);
        TFileDialogs dialogs;
        QCOMPARE(dialogs.askFileName(saveRequest(dir.path()), true), std::nullopt);
    }

    void messages_go_to_the_message_box() {
        QStringList texts;
        const auto previous = qv7::setMessageHook([&](const QString& text) { texts << text; });
        TFileDialogs dialogs;
        dialogs.showMessage(QStringLiteral("  Fichier incorrect !  "));
        qv7::setMessageHook(previous);
        QCOMPARE(texts, QStringList{QStringLiteral("  Fichier incorrect !  ")});
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_Dialogs.moc"
