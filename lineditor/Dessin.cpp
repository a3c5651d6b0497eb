// TDessinForm: construction, showing, the grid and its keys, the zoom bar, "Origine", "Nouveau" and
// the transfers. The files ("Charge", "Sauve") are in DessinFiles.cpp.
#include "lineditor/Dessin.h"

#include "base/Errors.h"
#include "base/Numbers.h"
#include "lineditor/Draw.h"
#include "lineditor/LinDevice.h"
#include "lineditor/StringGrid.h"
#include "widgets/DecimalSeparator.h"
#include "widgets/Messages.h"
#include "widgets/MyControls.h"
#include "widgets/RunTimeErrors.h"
#include "widgets/WindowLook.h"
#include "widgets/Xfert.h"

#include <QApplication>

#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace {

constexpr int ClientWidth = 623;
constexpr int ClientHeight = 479;
constexpr int GridColumns = 3;
constexpr int DescribedRows = 21;

template <typename W> W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QString fixed2(float value) {
    return QString::fromStdString(qv7::formatPattern(value, "##0.00", qv7::decimalSeparator().toLatin1()));
}

} // namespace

TDessinForm::TDessinForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DessinForm"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFont(qv7::windowFont());
    setFixedSize(ClientWidth, ClientHeight);

    buildPlotAndGrid();
    buildButtons();
    retranslate();
    // The window is built: the bilingual controls show their texts, each kept whole.
    for (QWidget* widget : findChildren<QWidget*>())
        if (auto* control = dynamic_cast<TLangueControl*>(widget)) control->Loaded();
    fitButtons();
    // No button is the window's default: Enter belongs to the grid, or to the button that has the focus.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    setTabOrder(StringGrid1, Btn_RD);
    setTabOrder(Btn_RD, Btn_WR);
    setTabOrder(Btn_WR, ZoomBar);
    setTabOrder(ZoomBar, Btn_C);
    setTabOrder(Btn_C, Btn_New);
    setTabOrder(Btn_New, Btn_Load);
    setTabOrder(Btn_Load, Btn_Save);
    setTabOrder(Btn_Save, Btn_Quit);
    setTabOrder(Btn_Quit, Btn_Mes);
    wireHandlers();
}

TDessinForm::~TDessinForm() = default;

void TDessinForm::retranslate() {
    showCaption(caption_);
    Btn_RD->setText(tr("Lecture"));
    Btn_WR->setText(tr("Ecriture"));
    // The grid's header is written by its first setup; until then it stays empty.
    if (!StringGrid1->Cells(0, 0).isEmpty()) StringGrid1->setCells(0, 0, tr("Points:"));
    // The grid's numbers in the new language's separator.
    if (caption_ != Caption::Window) Draw1Change();
}

void TDessinForm::fitButtons() {
    for (QPushButton* button : findChildren<QPushButton*>()) {
        // Back to the window's face first: a text that fits again needs no condensed face.
        if (button->font().stretch() != font().stretch()) {
            QFont face = button->font();
            face.setStretch(font().stretch());
            button->setFont(face);
        }
        qv7::fitText(*button);
    }
}

void TDessinForm::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) retranslate();
}

bool TDessinForm::event(QEvent* event) {
    const bool handled = QDialog::event(event);
    // The children have their new texts once the window's own handling is through.
    if (event->type() == QEvent::LanguageChange) fitButtons();
    return handled;
}

// ---------------------------------------------------------------------------------------------
// Construction

void TDessinForm::buildPlotAndGrid() {
    Draw1 = named(new TDraw(this), "Draw1");
    Draw1->setGeometry(8, 8, 409, 401);
    Draw1->setCursor(Qt::CrossCursor);
    Draw1->setXmax(110);
    Draw1->setXmin(-25);
    Draw1->setYmax(110);
    Draw1->setYmin(-25);
    Draw1->setClip(true);
    Draw1->setNbMaxSegment(32);

    StringGrid1 = named(new TStringGrid(GridColumns, this), "StringGrid1");
    StringGrid1->setGeometry(424, 8, 193, 401);
    StringGrid1->horizontalHeader()->setDefaultSectionSize(56);
    StringGrid1->verticalHeader()->setDefaultSectionSize(18);
    StringGrid1->setRowCount(DescribedRows);
    StringGrid1->setCurrent(1, 1);

    Bevel1 = named(new QFrame(this), "Bevel1");
    Bevel1->setGeometry(8, 424, 609, 49);
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
}

TBitBtnLangue* TDessinForm::bilingualButton(const char* name, const QString& french, const QString& english,
                                            const QRect& place) {
    auto* button = named(new TBitBtnLangue(this), name);
    button->CaptionSet()->setTexts(french, english);
    button->setGeometry(place);
    return button;
}

void TDessinForm::buildButtons() {
    Btn_C = bilingualButton("Btn_C", QStringLiteral("Origine"), QStringLiteral("Origin"), {16, 440, 49, 25});

    Label1 = named(new QLabel(QStringLiteral("ZOOM"), this), "Label1");
    Label1->setGeometry(88, 440, 44, 16);
    QFont bold = qv7::windowFont();
    bold.setPixelSize(13);
    bold.setBold(true);
    Label1->setFont(bold);

    ZoomBar = named(new QScrollBar(Qt::Horizontal, this), "ZoomBar");
    ZoomBar->setGeometry(136, 440, 81, 16);
    ZoomBar->setRange(-1, 3);
    ZoomBar->setPageStep(0);
    ZoomBar->setFocusPolicy(Qt::StrongFocus);

    Btn_New =
        bilingualButton("Btn_New", QStringLiteral("Nouveau"), QStringLiteral("New"), {240, 440, 49, 25});
    Btn_Load =
        bilingualButton("Btn_Load", QStringLiteral("Charge"), QStringLiteral("Load"), {288, 440, 51, 25});
    Btn_Save =
        bilingualButton("Btn_Save", QStringLiteral("Sauve"), QStringLiteral("Save"), {336, 440, 51, 25});
    Btn_RD = named(new QPushButton(this), "Btn_RD");
    Btn_RD->setGeometry(400, 440, 49, 25);
    Btn_WR = named(new QPushButton(this), "Btn_WR");
    Btn_WR->setGeometry(448, 440, 49, 25);
    Btn_Quit =
        bilingualButton("Btn_Quit", QStringLiteral("Fermer"), QStringLiteral("Close"), {560, 440, 49, 25});
    Btn_Mes = bilingualButton("Btn_Mes", QStringLiteral("Mesures…"), QStringLiteral("Measures…"),
                              {501, 440, 55, 25});
}

void TDessinForm::wireHandlers() {
    // Every handler the toolkit reaches is guarded: a run-time error ends its action there.
    Draw1->OnChange = [this](TDraw*) { Draw1Change(); };
    Draw1->OnSelect = [this](TDraw*) { Draw1Select(); };
    Draw1->OnZoom = [this](TDraw*) { Draw1Zoom(); };
    StringGrid1->OnSelectCell = [this](int column, int row, bool& canSelect) {
        canSelect = false;
        qv7::runGuarded([&] { StringGrid1SelectCell(column, row, canSelect); });
    };
    StringGrid1->OnCellEdited = [this](int, int) { cellTyped_ = true; };
    StringGrid1->OnKeyDown = [this](int& key, Qt::KeyboardModifiers shift) {
        qv7::runGuarded([&] { StringGrid1KeyDown(key, shift); });
    };
    connect(ZoomBar, &QScrollBar::valueChanged, this,
            [this] { qv7::runGuarded([this] { ZoomBarChange(); }); });
    const auto button = [this](QPushButton* control, void (TDessinForm::*handler)()) {
        connect(control, &QPushButton::clicked, this,
                [this, handler] { qv7::runGuarded([&] { (this->*handler)(); }); });
    };
    button(Btn_C, &TDessinForm::Btn_C0Click);
    button(Btn_New, &TDessinForm::Btn_New0Click);
    button(Btn_Load, &TDessinForm::Btn_Load0Click);
    button(Btn_Save, &TDessinForm::Btn_Save0Click);
    button(Btn_RD, &TDessinForm::Btn_RDClick);
    button(Btn_WR, &TDessinForm::Btn_WRClick);
    button(Btn_Quit, &TDessinForm::Btn_Quit0Click);
    button(Btn_Mes, &TDessinForm::Btn_MesClick);
    // The window's keys, wherever the focus is but in a cell being edited (its own undo then).
    for (const QKeySequence& key : {QKeySequence(QKeySequence::Undo)})
        new QShortcut(key, this, [this] { qv7::runGuarded([this] { undoCurve(); }); });
    for (const QKeySequence& key :
         {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)})
        new QShortcut(key, this, [this] { qv7::runGuarded([this] { redoCurve(); }); });
}

// ---------------------------------------------------------------------------------------------
// The curve

void TDessinForm::setCurve(std::span<const qv7::LinFilePoint> points, Origin origin) {
    const auto count = static_cast<int>(points.size());
    qv7::checkedRange(count, 1, qv7::MaxPointIndex + 1);
    const TPointArray<TCurvePoint> previous = Draw1->Points;
    const std::int32_t previousLast = Draw1->NbSegment;
    for (int i = 0; i < count; ++i)
        Draw1->Points[i] = {points[static_cast<std::size_t>(i)].X, points[static_cast<std::size_t>(i)].Y};
    Draw1->NbSegment = count - 1;
    clearStaleSelection();
    try {
        Draw1->UpdateCurve();
    } catch (const qv7::RunTimeError&) {
        // A point the view cannot map: the previous curve stands, and the error is reported.
        Draw1->Points = previous;
        Draw1->NbSegment = previousLast;
        clearStaleSelection();
        Draw1->UpdateCurve();
        throw;
    }
    keepAsOrigin(origin);
}

std::vector<qv7::LinFilePoint> TDessinForm::curve() const {
    std::vector<qv7::LinFilePoint> points;
    for (int i = 0; i <= Draw1->NbSegment; ++i)
        points.push_back({Draw1->Points[i].X, Draw1->Points[i].Y});
    return points;
}

void TDessinForm::clearStaleSelection() {
    // A selection beyond the last point has no place between neighbours: nothing is selected then.
    if (Draw1->Selected > Draw1->NbSegment) Draw1->Selected = -1;
}

// ---------------------------------------------------------------------------------------------
// Showing, the grid and the zoom bar

void TDessinForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    qv7::centreOnScreen(*this);
    qv7::runGuarded([this] { FormShow(); });
}

void TDessinForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        // A drag in progress is cancelled wherever the focus is (in the grid, Escape undoes).
        if (Draw1->DragIndex() >= 0) qv7::runGuarded([this] { Draw1->Undo(); });
        return event->accept();
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) button->click();
        return event->accept();
    }
    QDialog::keyPressEvent(event);
}

void TDessinForm::FormShow() {
    showCaption(Caption::Editor);
    Draw1->UpdateCurve();
    SetupGrid();
}

void TDessinForm::SetupGrid() {
    StringGrid1->setRowCount(Draw1->NbMaxSegment() + 1);
    StringGrid1->setCells(0, 0, tr("Points:"));
    StringGrid1->setCells(1, 0, QStringLiteral("X"));
    StringGrid1->setCells(2, 0, QStringLiteral("Y"));
    StringGrid1->setRowHeight(0, 20);
}

void TDessinForm::Draw1Change() {
    cellTyped_ = false; // every cell shows its point again
    recordStep();
    followEdits();
    // A curve replaced while the window is closed (a read that completes late) leaves the focus alone.
    if (isVisible()) StringGrid1->setFocus(Qt::OtherFocusReason);
    for (int i = 0; i <= Draw1->NbSegment; ++i) {
        StringGrid1->setCells(0, i + 1, QStringLiteral(" %1 ").arg(i));
        StringGrid1->setCells(1, i + 1, fixed2(Draw1->Points[i].X));
        StringGrid1->setCells(2, i + 1, fixed2(Draw1->Points[i].Y));
    }
    for (int row = Draw1->NbSegment + 2; row <= qv7::MaxPointIndex + 1; ++row)
        for (int column = 0; column < GridColumns; ++column)
            StringGrid1->setCells(column, row, QString());
    showSelectedRow();
}

void TDessinForm::Draw1Select() {
    showSelectedRow();
}

void TDessinForm::showSelectedRow() {
    // The grid's current row is the plot's selected point, so that a typed value or Delete acts on
    // the point both show; no point selected, no current row.
    const int s = Draw1->Selected;
    if (s < 0 || s > Draw1->NbSegment) {
        if (StringGrid1->Row() != 0) StringGrid1->setCurrent(-1, 0);
        return;
    }
    if (StringGrid1->Row() != s + 1) StringGrid1->setCurrent(std::max(StringGrid1->Col(), 1), s + 1);
}

void TDessinForm::Draw1Zoom() {
    ZoomBar->setMinimum(Draw1->ZoomMin);
    ZoomBar->setMaximum(Draw1->ZoomMax);
    ZoomBar->setValue(Draw1->ZoomLevel);
}

void TDessinForm::ZoomBarChange() {
    // One step per change; the step's OnZoom puts the bar back on the level reached.
    if (Draw1->ZoomLevel < ZoomBar->value()) Draw1->ZoomInClick();
    if (ZoomBar->value() < Draw1->ZoomLevel) Draw1->ZoomOutClick();
}

void TDessinForm::StringGrid1SelectCell(int, int ARow, bool& CanSelect) {
    CanSelect = ARow >= 1 && ARow <= Draw1->NbSegment + 1;
    if (!CanSelect) return;
    Draw1->Selected = ARow - 1;
    Draw1->UpdateCurve();
}

void TDessinForm::StringGrid1KeyDown(int& Key, Qt::KeyboardModifiers) {
    switch (Key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        enterTypedPoint();
        break;
    case Qt::Key_Escape:
        // A value typed into a cell and not placed is taken back first; otherwise the last change.
        if (cellTyped_) {
            Draw1Change();
            break;
        }
        Draw1->Undo();
        Draw1->UpdateCurve();
        break;
    case Qt::Key_Insert:
        if (StringGrid1->EditorMode()) break;
        Draw1->SplitSegment(Draw1->Selected);
        Draw1->UpdateCurve();
        break;
    case Qt::Key_Delete:
        if (StringGrid1->EditorMode()) break;
        Draw1->RemovePoint(Draw1->Selected);
        Draw1->UpdateCurve();
        break;
    default:
        break;
    }
}

std::optional<float> TDessinForm::typedValue(int column, int row) const {
    // Either point: the window's separator, or the other one a user may type out of habit.
    const std::optional<double> value =
        qv7::parseNumberEitherPoint(StringGrid1->Cells(column, row).toStdString());
    if (!value || !std::isfinite(*value) || std::abs(*value) > 1e6) return std::nullopt;
    return static_cast<float>(*value);
}

void TDessinForm::enterTypedPoint() {
    const int s = Draw1->Selected;
    if (s < 0 || s > Draw1->NbSegment) return beep(); // no point to place
    const QString refusal = pointRefusal(s + 1);
    TPixelPoint pixel{};
    if (refusal.isEmpty()) pixel = Draw1->WorldToPixel(*typedValue(1, s + 1), *typedValue(2, s + 1));
    if (!refusal.isEmpty() || !Draw1->ConstrainPoint(pixel.x, pixel.y)) {
        beep();
        // The grid shows the stored values again before the words say why.
        Draw1->UpdateCurve();
        qv7::showMessage(refusal.isEmpty() ? boundsText(s, 1, *typedValue(1, s + 1)) : refusal);
        return;
    }
    Draw1->Points[s] = {*typedValue(1, s + 1), *typedValue(2, s + 1)};
    Draw1->UpdateCurve(); // the grid shows the stored values again
}

void TDessinForm::beep() {
    ++beepCount_;
    QApplication::beep();
}

// ---------------------------------------------------------------------------------------------
// Buttons

void TDessinForm::Btn_C0Click() {
    Draw1->ResetZoomClick();
    SetupGrid();
}

void TDessinForm::Btn_New0Click() {
    if (mayDropEdits()) newCurve();
}

void TDessinForm::newCurve() {
    Btn_C0Click();
    Draw1->setXmin(-10);
    Draw1->setXmax(110);
    Draw1->setYmin(-10);
    Draw1->setYmax(110);
    Draw1->Points[0] = {0, 0};
    Draw1->Points[1] = {100, 100};
    Draw1->NbSegment = 1;
    clearStaleSelection();
    Draw1->UpdateCurve();
    keepAsOrigin(Origin::Default);
}

void TDessinForm::Btn_RDClick() {
    SetupGrid();
    if (device_ == nullptr || !mayDropEdits()) return;
    device_->ReadLin();
    showXfertForm();
}

void TDessinForm::Btn_WRClick() {
    if (device_ == nullptr) return;
    // The default line was never seen to come from anywhere: it replaces the indicator's curve only
    // when the user says so.
    if (origin_ == Origin::Default && !isEdited() &&
        !qv7::askYesNo(tr("Ecriture"),
                       tr("Ecrire la courbe par défaut à la place de la table de l'indicateur ?")))
        return;
    if (!device_->SendCurveToDevice(*Draw1)) return;
    keepAsOrigin(Origin::Device); // what the indicator is being sent
    showXfertForm();
}

void TDessinForm::Btn_Quit0Click() {
    close();
}

void TDessinForm::showXfertForm() {
    if (xfert_ == nullptr) return;
    xfert_->Progress()->setValue(0);
    // The editor is modal; as a transient of it the transfer window stays usable (its close box)
    // and above it.
    xfert_->winId();
    if (QWindow* window = xfert_->windowHandle(); window != nullptr && windowHandle() != nullptr)
        window->setTransientParent(windowHandle());
    xfert_->show();
    xfert_->raise();
}
