#include "app/PageControl.h"

#include <QKeyEvent>
#include <QTabBar>
#include <QToolButton>

namespace {

constexpr char FoldedProperty[] = "qv7Folded";

// A tab bar whose folded tabs take no room.
class TPageTabBar : public QTabBar {
public:
    explicit TPageTabBar(QWidget* parent) : QTabBar(parent) {}

    bool isFolded(int index) const { return tabData(index).toString() == QLatin1String(FoldedProperty); }

protected:
    QSize tabSizeHint(int index) const override {
        const QSize size = QTabBar::tabSizeHint(index);
        return isFolded(index) ? QSize(0, size.height()) : size;
    }
    QSize minimumTabSizeHint(int index) const override {
        const QSize size = QTabBar::minimumTabSizeHint(index);
        return isFolded(index) ? QSize(0, size.height()) : size;
    }
};

} // namespace

TPageControl::TPageControl(QWidget* parent) : QTabWidget(parent) {
    setTabBar(new TPageTabBar(this));
    // The strip's scroll arrows are for the mouse: the keyboard changes the page with the page keys,
    // and Tab goes from the strip straight to the page.
    for (QToolButton* arrow : tabBar()->findChildren<QToolButton*>())
        arrow->setFocusPolicy(Qt::NoFocus);
}

void TPageControl::setPageShown(int index, bool shown) {
    if (index < 0 || index >= count()) return;
    if (index < count() - 1) {
        setTabVisible(index, shown);
        return;
    }
    auto* bar = static_cast<TPageTabBar*>(tabBar());
    if (bar->isFolded(index) == !shown) return;
    bar->setTabData(index, shown ? QVariant() : QVariant(QString::fromLatin1(FoldedProperty)));
    setTabEnabled(index, shown);
    // The style may still paint a folded tab's caption past its no width.
    bar->setTabTextColor(index, shown ? QColor() : QColor(Qt::transparent));
    if (!shown && currentIndex() == index) {
        for (int i = index - 1; i >= 0; --i)
            if (isTabVisible(i)) {
                setCurrentIndex(i);
                break;
            }
    }
    // Lays the strip out again with the tab's new width.
    bar->setTabText(index, bar->tabText(index));
}

bool TPageControl::isPageShown(int index) const {
    if (index < 0 || index >= count()) return false;
    if (index < count() - 1) return isTabVisible(index);
    return !static_cast<const TPageTabBar*>(tabBar())->isFolded(index);
}

int TPageControl::pageStep(const QKeyEvent& event) {
    if (event.type() != QEvent::KeyPress || !(event.modifiers() & Qt::ControlModifier)) return 0;
    const bool shift = (event.modifiers() & Qt::ShiftModifier) != 0;
    switch (event.key()) {
    case Qt::Key_Tab:
        return shift ? -1 : 1;
    case Qt::Key_Backtab:
    case Qt::Key_PageUp:
        return -1;
    case Qt::Key_PageDown:
        return 1;
    default:
        return 0;
    }
}

void TPageControl::stepPage(int step) {
    if (step == 0 || count() == 0) return;
    const int current = currentIndex();
    int page = current;
    do {
        page = (page + step + count()) % count();
    } while (page != current && !(isPageShown(page) && isTabEnabled(page)));
    if (page != current) setCurrentIndex(page);
}

void TPageControl::keyPressEvent(QKeyEvent* event) {
    const int step = pageStep(*event);
    if (step == 0) {
        QTabWidget::keyPressEvent(event);
        return;
    }
    if (isEnabled()) stepPage(step);
    event->accept();
}
