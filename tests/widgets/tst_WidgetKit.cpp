// What every window shares: the transparent bitmaps and glyph strips, the file dialogs' filters,
// extension and overwrite question, the real message boxes, the run-time errors' end and the
// window look.
#include "widgets/Bitmaps.h"
#include "widgets/FileDialog.h"
#include "widgets/Messages.h"
#include "widgets/RunTimeErrors.h"
#include "widgets/WindowLook.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <cerrno>

#include <functional>

namespace {

// Answers the next modal box with the button `which` (or Enter, for the default button).
void answerNextBox(std::optional<QMessageBox::StandardButton> which, QString* title = nullptr,
                   QString* text = nullptr) {
    QTimer::singleShot(0, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        if (title) *title = box->windowTitle();
        if (text) *text = box->text();
        if (which)
            box->button(*which)->click();
        else
            QTest::keyClick(box, Qt::Key_Return);
    });
}

// `glyph` of the raw bitmap with the bitmap's bottom-left colour made transparent.
QImage expectedGlyph(const QImage& raw, int x, int width) {
    const QRgb key = raw.pixel(0, raw.height() - 1);
    QImage glyph(width, raw.height(), QImage::Format_ARGB32);
    for (int y = 0; y < raw.height(); ++y)
        for (int i = 0; i < width; ++i)
            glyph.setPixel(i, y, raw.pixel(x + i, y) == key ? qRgba(0, 0, 0, 0) : raw.pixel(x + i, y));
    return glyph;
}

} // namespace

class TestWidgetKit : public QObject {
    Q_OBJECT

private slots:
    void bitmaps_lose_their_bottom_left_colour_and_strips_split_into_glyphs() {
        const QImage raw = QImage(QStringLiteral(":/GLYPH_LOAD")).convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(raw.size(), QSize(32, 16));
        const QImage loaded = qv7::loadTransparentBitmap(QStringLiteral("GLYPH_LOAD"));
        QCOMPARE(loaded, expectedGlyph(raw, 0, 32));
        QCOMPARE(qAlpha(loaded.pixel(0, 15)), 0);
        QVERIFY(qv7::loadTransparentBitmap(QStringLiteral("NO_SUCH_BITMAP")).isNull());

        const QIcon strip = qv7::glyphIcon(QStringLiteral("GLYPH_LOAD"), 2);
        QCOMPARE(strip.availableSizes(), QList<QSize>{QSize(16, 16)});
        QCOMPARE(strip.pixmap(QSize(16, 16), QIcon::Normal).toImage().convertToFormat(QImage::Format_ARGB32),
                 expectedGlyph(raw, 0, 16));
        QCOMPARE(
            strip.pixmap(QSize(16, 16), QIcon::Disabled).toImage().convertToFormat(QImage::Format_ARGB32),
            expectedGlyph(raw, 16, 16));
        // One glyph by default: the whole bitmap.
        QCOMPARE(qv7::glyphIcon(QStringLiteral("GLYPH_SCAN")).availableSizes(), QList<QSize>{QSize(32, 32)});
        QVERIFY(qv7::glyphIcon(QStringLiteral("GLYPH_SCAN"), 0).isNull());
    }

    void bar_filters_become_name_filters_and_names_get_the_default_extension() {
        const QStringList lin{QStringLiteral("Fichiers de linéarisation (*.LIN)"),
                              QStringLiteral("Tous (*.*)")};
        QCOMPARE(qv7::nameFilters(QStringLiteral("Fichiers de linéarisation|*.LIN|Tous|*.*")), lin);
        QCOMPARE(qv7::nameFilters(QStringLiteral("Paramètres (*.QV7)|*.QV7")),
                 QStringList{QStringLiteral("Paramètres (*.QV7)")});
        QCOMPARE(qv7::nameFilters(QStringLiteral("Images|*.bmp;*.png|Sans motif")),
                 QStringList{QStringLiteral("Images (*.bmp *.png)")});
        QCOMPARE(qv7::nameFilters(QString()), QStringList{});

        QCOMPARE(qv7::withDefaultExtension(QStringLiteral("/tmp/a.b/courbe"), QStringLiteral("LIN")),
                 QStringLiteral("/tmp/a.b/courbe.LIN"));
        QCOMPARE(qv7::withDefaultExtension(QStringLiteral("courbe.txt"), QStringLiteral("LIN")),
                 QStringLiteral("courbe.txt"));
        QCOMPARE(qv7::withDefaultExtension(QStringLiteral("courbe"), QString()), QStringLiteral("courbe"));
    }

    void the_save_dialog_asks_before_replacing_only_when_told_to() {
        QTemporaryDir dir;
        QFile existing(dir.filePath(QStringLiteral("courbe.LIN")));
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.close();

        QStringList questions;
        bool answer = false;
        const auto oldQuestion = qv7::setQuestionHook([&](const QString&, const QString& text) {
            questions << text;
            return answer;
        });
        int shown = 0;
        QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
        const auto oldDialog = qv7::setFileDialogHook([&](QFileDialog& dialog) -> std::optional<QString> {
            ++shown;
            mode = dialog.acceptMode();
            return dir.filePath(QStringLiteral("courbe")); // typed without its extension
        });

        qv7::FileDialogRequest request{QStringLiteral("Enregistrer"), QStringLiteral("Courbes|*.LIN"),
                                       dir.path(), QString(), QStringLiteral("LIN")};
        // Not asked to confirm: the existing file is simply named.
        QCOMPARE(qv7::askFileName(request, true), std::optional<QString>(existing.fileName()));
        QVERIFY(questions.isEmpty());
        QCOMPARE(mode, QFileDialog::AcceptSave);

        // Asked: "No" goes back to the dialog, "Yes" names the file.
        request.confirmOverwrite = true;
        shown = 0;
        int round = 0;
        qv7::setQuestionHook([&](const QString&, const QString& text) {
            questions << text;
            return ++round == 2;
        });
        QCOMPARE(qv7::askFileName(request, true), std::optional<QString>(existing.fileName()));
        QCOMPARE(shown, 2);
        QCOMPARE(questions.size(), 2);
        QVERIFY(questions.constFirst().endsWith(QStringLiteral("existe déjà.\nVoulez-vous le remplacer ?")));

        // Opening neither adds the extension nor asks.
        questions.clear();
        QCOMPARE(qv7::askFileName(request, false),
                 std::optional<QString>(dir.filePath(QStringLiteral("courbe"))));
        QCOMPARE(mode, QFileDialog::AcceptOpen);
        QVERIFY(questions.isEmpty());

        qv7::setFileDialogHook(oldDialog);
        qv7::setQuestionHook(oldQuestion);
    }

    void the_real_boxes_show_the_text_and_return_the_answer() {
        QString title, text;
        answerNextBox(QMessageBox::Yes, &title, &text);
        QVERIFY(qv7::askYesNo(QStringLiteral("Ecriture"), QStringLiteral("Ecrire ?")));
        QCOMPARE(title, QStringLiteral("Ecriture"));
        QCOMPARE(text, QStringLiteral("Ecrire ?"));
        answerNextBox(QMessageBox::No);
        QVERIFY(!qv7::askYesNo(QStringLiteral("Ecriture"), QStringLiteral("Ecrire ?")));
        answerNextBox(std::nullopt); // Enter takes the default: No
        QVERIFY(!qv7::askYesNo(QStringLiteral("Ecriture"), QStringLiteral("Ecrire ?")));

        QGuiApplication::setApplicationDisplayName(QStringLiteral("QV7"));
        answerNextBox(QMessageBox::Ok, &title, &text);
        qv7::showMessage(QStringLiteral("Erreur d'écriture"));
        QCOMPARE(title, QStringLiteral("QV7"));
        QCOMPARE(text, QStringLiteral("Erreur d'écriture"));
    }

    void a_run_time_error_ends_its_handler_is_counted_logged_and_shown() {
        QCOMPARE(qv7::runTimeErrorCount(), 0);
        QStringList shown;
        const auto old = qv7::setMessageHook([&](const QString& text) { shown << text; });
        bool after = false;
        QTest::ignoreMessage(QtInfoMsg, "run-time error: Erreur de vérification d'étendue");
        qv7::runGuarded([&] {
            throw qv7::ERangeError();
            after = true;
        });
        QVERIFY(!after);
        qv7::runGuarded([] {});
        QCOMPARE(qv7::runTimeErrorCount(), 1);
        QCOMPARE(shown, QStringList{QStringLiteral("Erreur de vérification d'étendue")});
        qv7::setMessageHook(old);
    }

    // The window's text of an error: its template translated, then filled with its arguments
    // (never translated); a message without a template or with its own window text as it says.
    void an_error_is_shown_in_the_window_language() {
        struct Marking : QTranslator {
            QString translate(const char* context, const char* source, const char*, int) const override {
                return QStringLiteral("[%1] %2").arg(QLatin1String(context), QString::fromUtf8(source));
            }
            bool isEmpty() const override { return false; }
        } marking;
        struct OwnText : qv7::RunTimeError, qv7::WindowTextError {
            OwnText() : RunTimeError("français") {}
            QString windowText() const override { return QStringLiteral("own"); }
        };
        QCOMPARE(qv7::errorText(qv7::EInOutError::cannotOpen("a%1.QV")),
                 QStringLiteral("Impossible d'ouvrir le fichier a%1.QV"));
        QVERIFY(QCoreApplication::installTranslator(&marking));
        QCOMPARE(qv7::errorText(qv7::EInOutError::cannotOpen("a%1.QV")),
                 QStringLiteral("[RunTimeError] Impossible d'ouvrir le fichier a%1.QV"));
        QCOMPARE(qv7::errorText(qv7::EInOutError::fromErrno(EIO)),
                 QStringLiteral("[RunTimeError] Erreur E/S 5"));
        QCOMPARE(qv7::errorText(qv7::RunTimeError("brut")), QStringLiteral("brut"));
        QCOMPARE(qv7::errorText(OwnText()), QStringLiteral("own"));
        QCoreApplication::removeTranslator(&marking);
    }

    void buttons_condense_only_when_their_text_does_not_fit_and_windows_centre() {
        for (const int slack : {-1, 0, 10}) {
            QPushButton button(QStringLiteral("Lecture de la configuration"));
            button.setFont(qv7::windowFont());
            button.resize(button.sizeHint().width() + slack, 25);
            qv7::fitText(button);
            QCOMPARE(button.font().stretch() == QFont::Condensed, slack < 0);
        }
        QCOMPARE(qv7::windowFont().pixelSize(), 11);
        QCOMPARE(qv7::makerFont().pixelSize(), 21);
        QVERIFY(qv7::makerFont().bold());

        QWidget window;
        window.resize(300, 200);
        window.move(0, 0);
        qv7::centreOnScreen(window);
        const QRect area = window.screen()->availableGeometry();
        const QPoint off = window.frameGeometry().center() - area.center();
        QVERIFY2(std::abs(off.x()) <= 1 && std::abs(off.y()) <= 1,
                 qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));
    }
};

QTEST_MAIN(TestWidgetKit)
#include "tst_WidgetKit.moc"
