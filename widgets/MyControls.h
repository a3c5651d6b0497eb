// The bilingual controls: a label, a bitmap button, a radio button and a group box that each
// carry their caption and hint in French and English (TMultiLangue) and show the texts of the
// current language. Window thread only.
#pragma once

#include "widgets/MultiLangue.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <memory>

// What the four controls share. The window builds a control, fills its sets (setTexts) and,
// once the whole window exists, calls Loaded().
class TLangueControl {
public:
    virtual ~TLangueControl();
    TLangueControl(const TLangueControl&) = delete;
    TLangueControl& operator=(const TLangueControl&) = delete;

    // The caption's and the hint's text sets, owned by the control.
    TMultiLangue* CaptionSet() const { return captionSet_.get(); }
    TMultiLangue* HintSet() const { return hintSet_.get(); }

    // The caption is CaptionSet's current text; assigning one discards it and shows that text
    // again: captions change through CaptionSet only.
    QString Caption() const { return captionSet_->CurrentText(); }
    void setCaption(const QString& ignored);

    // Reading gives HintSet's current text; an assigned hint is shown until the next
    // Repaint() or ChangeLangue() puts HintSet's text back.
    QString Hint() const { return hintSet_->CurrentText(); }
    void setHint(const QString& hint);

    // Shows the sets' current texts, then, unless a refresh is already running, refreshes
    // every other control of the parent once so that bilingual siblings show theirs.
    void ChangeLangue();

    // The step after the window is built: ChangeLangue with the control itself as sender.
    void Loaded() { ChangeLangue(); }

    // Repaint on request (what a refresh does): re-applies both texts, then redraws at once.
    void Repaint();

    // Test seams: how many times Repaint() and ChangeLangue() ran on this control.
    int repaintRequests() const { return repaintRequests_; }
    int languageChanges() const { return languageChanges_; }

protected:
    explicit TLangueControl(QWidget* self);
    // Puts `text` on the base control as its displayed caption.
    virtual void showCaption(const QString& text) = 0;
    // A control placed without a size of its own (a radio button) takes its new caption's size, as
    // it took its first one's when first shown.
    void fitUnsized();

private:
    void applyTexts();
    void refreshSiblings();

    QWidget* self_;
    std::unique_ptr<TMultiLangue> captionSet_;
    std::unique_ptr<TMultiLangue> hintSet_;
    int repaintRequests_ = 0;
    int languageChanges_ = 0;
};

class TLabelLangue : public QLabel, public TLangueControl {
    Q_OBJECT
public:
    explicit TLabelLangue(QWidget* parent = nullptr);

protected:
    // A label sizes itself to its text (the window's labels always have).
    void showCaption(const QString& text) override {
        setText(text);
        adjustSize();
    }
};

class TBitBtnLangue : public QPushButton, public TLangueControl {
    Q_OBJECT
public:
    explicit TBitBtnLangue(QWidget* parent = nullptr);
    // Shows the resource bitmap `name` as glyph; with numGlyphs 2 its right half is the
    // disabled image. Returns false when there is no such bitmap.
    bool setGlyph(const QString& name, int numGlyphs = 1);

protected:
    void showCaption(const QString& text) override { setText(text); }
};

class TRadioButtonLangue : public QRadioButton, public TLangueControl {
    Q_OBJECT
public:
    explicit TRadioButtonLangue(QWidget* parent = nullptr);

protected:
    void showCaption(const QString& text) override {
        setText(text);
        fitUnsized();
    }
};

class TGroupBoxLangue : public QGroupBox, public TLangueControl {
    Q_OBJECT
public:
    explicit TGroupBoxLangue(QWidget* parent = nullptr);

protected:
    void showCaption(const QString& text) override { setTitle(text); }
};
