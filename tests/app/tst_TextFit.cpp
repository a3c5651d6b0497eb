// Every text of every window fits its control and leaves its neighbours' alone, in French and in
// English: each page of the main window (every input page, both processing groups, the service
// page), the selection and transfer windows, the about box, the editor and its measurements dialog.
// Also draws the windows in English for the documentation (QV7_PICTURES=docs: docs/en/*.png).
#include "WindowTexts.h"
#include "WindowsRig.h"

#include "app/Language.h"
#include "app/PageControl.h"
#include "app/pages/CfgPage.h"
#include "app/pages/PageKit.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QRadioButton>

using windowsrig::Windows;
using Bank = std::map<int, std::uint16_t>;

namespace {

enum class Window { MainFiveChoice, MainThermocouple, Select, Transfer, About, Editor, Measures };

// The misfits of the main window on each page its tab strip shows; `inputs` clicks each input
// type in turn so that every input page (and the processing groups each brings) is seen.
QStringList mainMisfits(bool inputs) {
    TPageControl* pages = MainForm->pageControl();
    QStringList misfits;
    const auto look = [&](int index) {
        pages->setCurrentIndex(index);
        QCoreApplication::processEvents();
        for (const QString& misfit : texts::misfitsOf(MainForm))
            if (!misfits.contains(misfit)) misfits << misfit;
    };
    for (int index = 0; index < pages->count(); ++index)
        if (MainForm->tabShown(static_cast<TMainForm::Page>(index))) look(index);
    if (!inputs) return misfits;
    for (int item = 0; item < 4; ++item) {
        MainForm->cfgPage()->RdGrCFG1->button(item)->click();
        look(TMainForm::TabEntCourant + item);
        look(TMainForm::TabProcess);
    }
    return misfits;
}

// Tiles of equal size on a white sheet, `columns` a row.
QImage sheet(const QList<QImage>& tiles, int columns) {
    const QSize tile = tiles.first().size();
    const auto rows = (tiles.size() + columns - 1) / columns;
    QImage image(columns * (tile.width() + 8) + 8, static_cast<int>(rows) * (tile.height() + 8) + 8,
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int i = 0; i < tiles.size(); ++i)
        painter.drawImage(8 + (i % columns) * (tile.width() + 8), 8 + (i / columns) * (tile.height() + 8),
                          tiles.at(i));
    return image;
}

} // namespace

Q_DECLARE_METATYPE(Window)
Q_DECLARE_METATYPE(qv7::Language)

class TestTextFit : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { qv7::setLanguage(qv7::Language::French); }

    void every_text_fits_its_control_data() {
        QTest::addColumn<Window>("window");
        QTest::addColumn<qv7::Language>("language");
        QTest::addColumn<bool>("switched"); // the language chosen once the windows exist
        const std::pair<const char*, Window> windows[] = {
            {"main, five-choice 0x40D3", Window::MainFiveChoice},
            {"main, thermocouple 0x0800", Window::MainThermocouple},
            {"selection", Window::Select},
            {"transfer", Window::Transfer},
            {"about", Window::About},
            {"editor", Window::Editor},
            {"measurements", Window::Measures}};
        for (const auto& [name, window] : windows) {
            QTest::addRow("%s, French", name) << window << qv7::Language::French << false;
            QTest::addRow("%s, English", name) << window << qv7::Language::English << false;
            QTest::addRow("%s, switched to English", name) << window << qv7::Language::English << true;
        }
    }
    void every_text_fits_its_control() {
        QFETCH(Window, window);
        QFETCH(qv7::Language, language);
        QFETCH(bool, switched);
        if (!switched) qv7::setLanguage(language);
        // A fixed thermocouple indicator (its type set) shows a set of pages of its own.
        Windows rig(window == Window::MainThermocouple ? 0x0800 : 0x40D3,
                    window == Window::MainThermocouple ? Bank{{1, 0x0410}} : Bank{});
        QVERIFY(rig.open());
        if (switched) qv7::setLanguage(language);
        QCoreApplication::processEvents();
        QStringList misfits;
        switch (window) {
        case Window::MainFiveChoice:
            misfits = mainMisfits(true);
            break;
        case Window::MainThermocouple:
            misfits = mainMisfits(false);
            break;
        case Window::Select:
            misfits = texts::misfitsOf(SelectForm);
            break;
        case Window::Transfer:
            misfits = texts::misfitsOf(XfertForm);
            break;
        case Window::About:
            misfits = texts::misfitsOf(AboutBox);
            break;
        case Window::Editor:
            misfits = texts::misfitsOf(DessinForm);
            break;
        case Window::Measures:
            misfits = texts::misfitsOf(rig.measures.get());
            break;
        }
        for (const QString& misfit : misfits)
            qInfo().noquote() << misfit;
        QVERIFY2(misfits.isEmpty(), "texts that do not fit");
    }

    // A text planted too long for its control, or a control laid over its neighbour, is found: the
    // measure above is no formality.
    void a_planted_misfit_is_found_data() {
        QTest::addColumn<int>("plant");
        QTest::addColumn<QString>("found");
        QTest::newRow("button") << 0 << "Btn_RD \"Lecture de la courbe\": width needs";
        QTest::newRow("label") << 1 << "LblPoints \"Points de la courbe :\": width needs";
        QTest::newRow("check box") << 2
                                   << "ChkHorsMesures \"Hors mesures, extrémités comprises\": width needs";
        QTest::newRow("combo item") << 3
                                    << "CbForme \"\": item \"Cuve cylindrique horizontale à fond bombé\"";
        QTest::newRow("overlap") << 4 << "Btn_WR \"Ecriture\" overlaps DessinForm/Btn_RD \"Lecture\"";
    }
    void a_planted_misfit_is_found() {
        QFETCH(int, plant);
        QFETCH(QString, found);
        Windows rig(0x40D3);
        QVERIFY(rig.open());
        QVERIFY(texts::misfitsOf(DessinForm).isEmpty());
        QVERIFY(texts::misfitsOf(rig.measures.get()).isEmpty());
        switch (plant) {
        case 0:
            DessinForm->Btn_RD->setText(QStringLiteral("Lecture de la courbe"));
            break;
        case 1:
            rig.measures->LblPoints->setText(QStringLiteral("Points de la courbe :"));
            break;
        case 2:
            rig.measures->ChkHorsMesures->setText(QStringLiteral("Hors mesures, extrémités comprises"));
            break;
        case 3:
            rig.measures->CbForme->setItemText(2,
                                               QStringLiteral("Cuve cylindrique horizontale à fond bombé"));
            break;
        case 4:
            DessinForm->Btn_WR->move(DessinForm->Btn_RD->pos() + QPoint(20, 0));
            break;
        }
        const QStringList misfits = texts::misfitsOf(DessinForm) + texts::misfitsOf(rig.measures.get());
        QVERIFY(!misfits.isEmpty());
        QVERIFY2(misfits.first().contains(found), qPrintable(misfits.join(u'\n')));
    }

    // QV7_PICTURES=docs: the windows in English as docs/en/*.png.
    void pictures_in_english() {
        const QString out = qEnvironmentVariable("QV7_PICTURES");
        Windows rig(0x40D3);
        qv7::setLanguage(qv7::Language::English);
        QVERIFY(rig.open());
        QMap<QString, QImage> pictures;
        TPageControl* pages = MainForm->pageControl();
        QList<QImage> five;
        const auto grabPage = [&](int index) {
            pages->setCurrentIndex(index);
            QCoreApplication::processEvents();
            five << pages->grab().toImage();
        };
        pages->setCurrentIndex(TMainForm::TabIdent);
        QCoreApplication::processEvents();
        pictures[QStringLiteral("main-ready.png")] = MainForm->grab().toImage();
        grabPage(TMainForm::TabIdent);
        grabPage(TMainForm::TabCfg);
        for (int item : {0, 1, 2, 3}) {
            MainForm->cfgPage()->RdGrCFG1->button(item)->click();
            grabPage(TMainForm::TabEntCourant + item);
            if (item == 2) grabPage(TMainForm::TabProcess);
        }
        MainForm->cfgPage()->RdGrCFG1->button(0)->click();
        for (int index = TMainForm::TabProcess; index <= TMainForm::TabRS485; ++index)
            grabPage(index);
        pictures[QStringLiteral("pages-five-choice.png")] = sheet(five, 6);
        pages->setCurrentIndex(TMainForm::TabZEQ);
        QCoreApplication::processEvents();
        pictures[QStringLiteral("page-service.png")] = MainForm->grab().toImage();
        pictures[QStringLiteral("about.png")] = AboutBox->grab().toImage();
        pictures[QStringLiteral("select.png")] = SelectForm->grab().toImage();
        pictures[QStringLiteral("xfert.png")] = XfertForm->grab().toImage();
        pictures[QStringLiteral("editor.png")] = DessinForm->grab().toImage();
        pictures[QStringLiteral("editor-measures.png")] = rig.measures->grab().toImage();
        QCOMPARE(five.size(), 15);
        rig.measures.reset();
        rig.forms.reset();
        Windows thermocouple(0x0800, {{1, 0x0410}});
        QVERIFY(thermocouple.open());
        QList<QImage> tiles;
        for (int index = TMainForm::TabIdent; index < TMainForm::TabZEQ; ++index) {
            if (!MainForm->tabShown(static_cast<TMainForm::Page>(index))) continue;
            pages = MainForm->pageControl();
            pages->setCurrentIndex(index);
            QCoreApplication::processEvents();
            tiles << pages->grab().toImage();
        }
        QCOMPARE(tiles.size(), 4); // identification, input, processing, display
        pictures[QStringLiteral("pages-thermocouple.png")] = sheet(tiles, 4);
        for (const QImage& picture : pictures)
            QVERIFY(!picture.isNull());
        if (out.isEmpty()) return;
        const QDir dir(QDir(out).filePath(QStringLiteral("en")));
        QVERIFY(dir.mkpath(QStringLiteral(".")));
        for (auto it = pictures.cbegin(); it != pictures.cend(); ++it)
            QVERIFY(it.value().save(dir.filePath(it.key())));
    }
};

QTEST_MAIN(TestTextFit)
#include "tst_TextFit.moc"
