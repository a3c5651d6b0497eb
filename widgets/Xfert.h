// TXfertForm: the progress window of linearisation-table transfers. The editor shows it without
// modality and sets the bar to 0; the table transfer moves the bar and closes it. Window thread.
#pragma once

#include <QWidget>

class QProgressBar;

class TXfertForm : public QWidget {
    Q_OBJECT
public:
    explicit TXfertForm(QWidget* parent = nullptr);

    // The bar, range 0 ... 111, at 0 after construction.
    QProgressBar* Progress() const { return progress_; }

    // Sets the caption; runs on every showing.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QProgressBar* progress_;
};
