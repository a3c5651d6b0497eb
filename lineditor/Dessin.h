// TDessinForm: the linearisation editor window. The curve plot control Draw1 beside a grid of the
// points' coordinates; loads and saves the curve as .LIN files and starts the table transfers with the
// indicator through the TLinDevice the main window hands it. Created once at start-up and shown
// modally by the main window's "Edition" button; the window and its curve persist for the whole run.
// Window thread.
#pragma once

#include "indicator/LinFile.h"

#include <QDialog>

#include <optional>
#include <span>
#include <vector>

class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;
class TBitBtnLangue;
class TDraw;
class TLinDevice;
class TStringGrid;
class TXfertForm;

class TDessinForm : public QDialog {
    Q_OBJECT
public:
    explicit TDessinForm(QWidget* parent = nullptr);
    ~TDessinForm() override;

    // The indicator and the transfer window, handed over by the main window; both may be null
    // ("Lecture" then only sets up the grid and "Ecriture" does nothing).
    void setDevice(TLinDevice* device) { device_ = device; }
    void setXfertForm(TXfertForm* xfert) { xfert_ = xfert; }

    // Where the curve on screen came from, as the title names it: the editor's default line, the
    // indicator's table, a .LIN file, a fit to measurements, or a curve handed in otherwise.
    enum class Origin { Default, Device, File, Fit, Edit };

    // Replaces the curve with `points` (1 to 361), clears a selection left beyond the last point and
    // rebuilds; the curve then comes from `origin` and counts as unchanged. Raises ERangeError for
    // another count, or when the view cannot map a point; the previous curve then stays.
    void setCurve(std::span<const qv7::LinFilePoint> points, Origin origin = Origin::Edit);
    // The default line (0, 0) - (100, 100) in the view -10 ... 110, without asking.
    void newCurve();
    Origin origin() const { return origin_; }
    // The curve differs from the one that last came from its origin.
    bool isEdited() const;
    // The curve's points 0 ... NbSegment.
    std::vector<qv7::LinFilePoint> curve() const;
    // Ctrl+Z and Ctrl+Y (or Ctrl+Shift+Z): one step back or forward through the curve's changes, each
    // grid edit, point dragged, added or removed, New, Load, fit and read one step; false when there
    // is none. The title says again whether the curve differs from its origin.
    bool undoCurve();
    bool redoCurve();

    // --- Handlers (window thread); each may raise the run-time errors of what it calls.
    void FormShow(); // caption "Editeur de linéarisation", rebuild, SetupGrid
    void FormPaint() {}
    void Draw1Change(); // the grid refilled from the curve; the focus to the grid while shown
    void Draw1Select(); // the grid's current row follows the point picked in the plot
    void Draw1Zoom();   // ZoomBar follows the zoom level
    void ZoomBarChange();
    // Only the rows of the curve's points may be selected; the row's point becomes the selection.
    void StringGrid1SelectCell(int ACol, int ARow, bool& CanSelect);
    // Enter places the selected point at the typed values, Escape undoes, Insert and Delete (when
    // no cell is being edited) split the segment before the selection or remove the selected point.
    void StringGrid1KeyDown(int& Key, Qt::KeyboardModifiers Shift);
    void Btn_C0Click();    // "Origine": view -25 ... 110, zoom level 0
    void Btn_New0Click();  // "Nouveau": view -10 ... 110, the curve (0, 0) - (100, 100)
    void Btn_Load0Click(); // "Charge"
    // Loads `name` as "Charge" does once a file is chosen (after asking before an edited curve is
    // dropped): a file named on the command line or by a second copy.
    void openFile(const QString& name);
    void Btn_Save0Click(); // "Sauve"
    void Btn_RDClick();    // "Lecture"
    void Btn_WRClick();    // "Ecriture"
    void Btn_Quit0Click(); // "Fermer"
    void Btn_MesClick();   // "Mesures…": the curve fitted to measured pairs, when the dialog says OK
    // The grid's rows (NbMaxSegment + 1) and its header row.
    void SetupGrid();

    // The open dialog's last choice, which the save dialog proposes; empty before the first.
    QString OpenFileName() const { return openFileName_; }
    // The grid's refusal of the point typed in `row`, in words; empty when the values can be placed.
    QString pointRefusal(int row) const;
    // Test seam: the beeps of the grid's keys.
    int beepCount() const { return beepCount_; }

    TDraw* Draw1 = nullptr;
    TStringGrid* StringGrid1 = nullptr;
    QFrame* Bevel1 = nullptr;
    TBitBtnLangue* Btn_C = nullptr;
    QLabel* Label1 = nullptr;
    QScrollBar* ZoomBar = nullptr;
    TBitBtnLangue* Btn_New = nullptr;
    TBitBtnLangue* Btn_Load = nullptr;
    TBitBtnLangue* Btn_Save = nullptr;
    QPushButton* Btn_RD = nullptr;
    QPushButton* Btn_WR = nullptr;
    TBitBtnLangue* Btn_Quit = nullptr;
    TBitBtnLangue* Btn_Mes = nullptr; // in the gap of the button row, after the others in tab order

protected:
    void showEvent(QShowEvent* event) override;
    // An edited curve is dropped only when the user agrees.
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    // Escape belongs to the grid (undo); in the rest of the window it closes nothing. Enter presses
    // the button that has the focus, and nothing else.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // What the caption shows: the window's name until the first showing, then the editor's, or the
    // name of the file last loaded.
    enum class Caption { Window, Editor };

    // Every text of the window but the bilingual buttons', in the current language.
    void retranslate();
    void showCaption(Caption caption);
    // The title again when the curve became edited or unchanged.
    void followEdits();
    // The curve as it stands is now the one that came from `origin` (it was saved or sent).
    void keepAsOrigin(Origin origin);
    // True when the curve is unchanged, or the user agrees to drop its changes ("Abandonner ...").
    bool mayDropEdits();
    // The buttons take the condensed face where their text would not fit, in the language shown.
    void fitButtons();
    void buildPlotAndGrid();
    void buildButtons();
    TBitBtnLangue* bilingualButton(const char* name, const QString& french, const QString& english,
                                   const QRect& place);
    void wireHandlers();
    void loadFile(const QString& name);
    void enterTypedPoint();
    std::optional<float> typedValue(int column, int row) const;
    // Why `value` cannot be the coordinate of `point` in `column` (1: X, 2: Y): the range it must stay
    // in, for X between its neighbours as X rises from one point to the next.
    QString boundsText(int point, int column, float value) const;
    void clearStaleSelection();
    void showSelectedRow();
    void showXfertForm();
    void beep();
    // After every change of the plot: a curve that differs from the last one seen is one undo step.
    void recordStep();
    // Shows `points` as the curve, without a step of its own.
    void restoreCurve(const std::vector<qv7::LinFilePoint>& points);

    TLinDevice* device_ = nullptr;
    TXfertForm* xfert_ = nullptr;
    QString openFileName_;
    Caption caption_ = Caption::Window;
    Origin origin_ = Origin::Default;
    std::vector<qv7::LinFilePoint> originCurve_{{0, 0}, {100, 100}}; // as it came from origin_
    bool shownEdited_ = false;                                       // the title says "(modifiée)"
    bool cellTyped_ = false;                                  // a cell holds typed text that was not placed
    std::vector<std::vector<qv7::LinFilePoint>> undo_, redo_; // the curves before and after the steps
    std::vector<qv7::LinFilePoint> stepCurve_;                // the curve as the last step left it
    bool restoring_ = false;
    int beepCount_ = 0;
};
