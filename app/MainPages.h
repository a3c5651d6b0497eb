// TMainPages: the main window's tabbed pages. Builds them into the page control, decides which pages
// and groups the type word and the input type show, fills every control from a record and stores it
// back through one binder, and marks the tabs of pages whose values differ from the indicator's.
// Window thread only.
#pragma once

#include "app/ParamBinder.h"
#include "proto/ParamImage.h"

#include <QObject>
#include <QString>

#include <functional>

class TPageControl;
class TSession;
class TTorvik;
namespace qv7::pages {
class TAlarmPage;
class TCfgPage;
class TDisplayPage;
class TEntCourantPage;
class TEntRtdPage;
class TEntTCPage;
class TEntTensionPage;
class TIdentPage;
class TOutputPage;
class TProcessPage;
class TRadioGroup;
class TRs485Page;
class TServicePage;
} // namespace qv7::pages

// The pages of the page control, in order.
struct TMainPageIds {
    enum Page {
        TabConnect,
        TabIdent,
        TabCfg,
        TabEntCourant,
        TabEntTension,
        TabEntRtd,
        TabEntTC,
        TabProcess,
        TabDisplay,
        TabALR1,
        TabALR2,
        TabALR3,
        TabALR4,
        TabSA,
        TabRS485,
        TabZEQ,
        PageCount
    };
};

class TMainPages : public QObject, public TMainPageIds {
    Q_OBJECT
public:
    // Builds every page into `control`; the service page drives `torvik` and says its results with
    // `say`. `connectPage` is the first page, built by the window.
    TMainPages(TPageControl* control, QWidget* connectPage, TTorvik& torvik,
               std::function<void(const QString&)> say, QObject* parent = nullptr);

    // The fill step for `image`: which pages and groups its type word and input type show, then
    // every bound control. `fourDigits`: the display's preview.
    void fill(const TParamImage& image, bool fourDigits);
    // The write step: every control of a row the indicator has into `image`. A field that holds no
    // value its row takes raises FieldRangeError with the focus on it (its page shown).
    void store(TParamImage& image) const;
    // RdGrCFGClick: the input-type pages for the item chosen in `sender` (null: none).
    void inputTypeChosen(qv7::pages::TRadioGroup* sender);

    // Works on `session` from now on: a user's change of a control becomes an edit of its image, an
    // undo or redo shows the image again, and the marks follow.
    void attach(TSession& session, std::function<bool()> fourDigits);
    // The fill step for an image the session takes as the pages' own: read from the indicator
    // (`reference`: it becomes the values the edits are measured against) or loaded from a file.
    void show(const TParamImage& image, bool reference, const QString& origin = QString());
    // Marks the changed controls and the tabs of their pages; a change on a page or group the input
    // type now hides marks the input type's choice.
    void showChanges();
    // The rows the technician changed (since the last fill) none of whose controls is shown now: on a
    // page or in a group the input type hides.
    std::vector<const qv7::ParamRow*> hiddenChanges() const;
    // The tabs' captions in the window's language, with the mark of a page that holds changes.
    void retranslate();
    // Every number on the pages in `separator`, the same values, none of them counted as an edit.
    void showSeparator(QChar separator);

    bool tabShown(Page page) const;
    void setTabShown(Page page, bool shown);
    QWidget* page(Page page) const { return pages_[page]; }
    void focusField(QWidget* field) const;
    TParamBinder& binder() { return binder_; }

    qv7::pages::TIdentPage* ident = nullptr;
    qv7::pages::TCfgPage* cfg = nullptr;
    qv7::pages::TEntCourantPage* courant = nullptr;
    qv7::pages::TEntTensionPage* tension = nullptr;
    qv7::pages::TEntRtdPage* rtd = nullptr;
    qv7::pages::TEntTCPage* tc = nullptr;
    qv7::pages::TProcessPage* process = nullptr;
    qv7::pages::TDisplayPage* display = nullptr;
    qv7::pages::TAlarmPage* alarms[4] = {};
    qv7::pages::TOutputPage* output = nullptr;
    qv7::pages::TRs485Page* rs485 = nullptr;
    qv7::pages::TServicePage* service = nullptr;

signals:
    // The user changed a bound control (the page shows its new value).
    void edited(QWidget* control);

private:
    // The fill step's work, which may move the strip to another page on the way.
    void fillPages(const TParamImage& image, bool fourDigits);
    void showPagesOf(std::uint32_t typeWord);
    void retranslateTabs();
    void pagesEdited(QWidget* control);

    TPageControl* control_;
    QWidget* pages_[PageCount] = {};
    TParamBinder binder_;
    TSession* session_ = nullptr;
    std::function<bool()> fourDigits_;
    TParamImage filled_; // the pages' image as the last fill showed it
};
