// TSelectForm: the window in which the user picks one of several attached indicators. The main
// window fills the radio group, shows the window modally and reads the chosen item afterwards,
// whether the window was closed by BtnOK or by its close box. Window thread.
#pragma once

#include <QDialog>
#include <QList>

class QButtonGroup;
class QGroupBox;
class QPushButton;
class QRadioButton;

class TSelectForm : public QDialog {
    Q_OBJECT
public:
    explicit TSelectForm(QWidget* parent = nullptr);

    // The items of GrRdSelect, numbered from 0 in the order added.
    void clearItems();
    void addItem(const QString& text);
    int itemCount() const { return static_cast<int>(items_.size()); }
    // The item's text; empty for an index out of range.
    QString itemText(int index) const;

    // The selected item, or -1 when none is.
    int itemIndex() const;
    // Selects item `index`; -1 or an index out of range selects none.
    void setItemIndex(int index);

    // Closes the window and leaves its result unset, as the close box does.
    void BtnOKClick();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void retranslate();
    void layoutItems();

    QGroupBox* group_;
    QButtonGroup* buttons_;
    QPushButton* okButton_;
    QList<QRadioButton*> items_;
};
