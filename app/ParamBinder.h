// TParamBinder: ties every page control to its row of the parameter table (the row the page named
// with bindParam) and does for all of them what the row says: fills a control from a record, stores
// it back with the row's limits, decimals and choices, refuses what the row does not take, marks a
// control whose value differs from the indicator's and gives each its tooltip (name, range with
// unit, register). Window thread only.
#pragma once

#include "proto/ParamImage.h"
#include "proto/ParamTable.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QWidget;

class TParamBinder : public QObject {
    Q_OBJECT
public:
    explicit TParamBinder(QObject* parent = nullptr);

    // Binds every control under `root` that carries a row's key, in the order they were made. The
    // radio buttons of one row under one parent are one control, their items in that order; a row
    // shown by two groups (one per kind of indicator) takes the value of the one not hidden.
    void bindAll(QWidget* root);

    // Shows `image` in every control. Raises no edited().
    void fill(const TParamImage& image);
    // The numbers of the fields in `separator`, the same values (after a language change). Raises
    // no edited(); a field that keeps a value its mask cannot show still keeps it.
    void showSeparator(QChar separator);
    // Stores every control of a row the image's indicator has into `image`. A field that holds no
    // value its row takes raises qv7::pages::FieldRangeError naming it (image then partly stored).
    void store(TParamImage& image) const;
    // The same, but such a field leaves the image's value as it is (while the user is typing).
    void storeWhatFits(TParamImage& image) const;

    // Marks each control whose row differs between the two images (the same mark in every language:
    // a '*' beside it), and gives every control its tooltip, with the indicator's value when marked.
    void showChanges(const TParamImage& reference, const TParamImage& edited);
    bool isMarked(const QWidget* control) const;
    // Whether a marked control lies under `widget` (a page).
    bool marksUnder(const QWidget* widget) const;
    // The controls bound to `row` (several where two groups show it).
    std::vector<QWidget*> controlsOf(const qv7::ParamRow& row) const;
    // Marks `control` (a choice) for the changes it hides, named in `names`, whether or not it
    // changed itself; its tooltip lists them. Call after showChanges.
    void markHiddenChanges(QWidget* control, const QStringList& names);
    // The tooltip a control of `row` carries (no indicator's value).
    static QString tooltipOf(const qv7::ParamRow& row, std::uint32_t typeWord);

    // A user's change of `control` (controls without a change signal of their own report here).
    void controlEdited(QWidget* control);

signals:
    // The user changed a bound control (never raised while filling).
    void edited(QWidget* control);

private:
    enum class Kind { Edit, Group, Combo, Check, Buttons, Point, Digit };
    struct Binding {
        const qv7::ParamRow* row = nullptr;
        Kind kind = Kind::Edit;
        std::vector<QPointer<QWidget>> widgets;
        QPointer<QLabel> mark;
        // A masked field whose raw value the mask cannot show keeps that value until it is edited.
        std::optional<std::int64_t> unshown;
        QString filledText;
    };

    void add(QWidget* control, const qv7::ParamRow& row);
    void watch(QWidget* control);
    void fillOne(Binding& binding, const TParamImage& image);
    // The page item the control holds, nullopt when it holds none (or for an edit).
    std::optional<std::int64_t> itemOf(const Binding& binding) const;
    void storeOne(const Binding& binding, TParamImage& image) const;
    bool active(const Binding& binding) const;
    void setMark(Binding& binding, bool marked, const QString& tooltip);

    std::vector<Binding> bindings_;
    bool filling_ = false;
};
