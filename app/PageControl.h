// TPageControl: the main window's tabbed pages. A QTabWidget whose pages can be taken out of the
// tab strip while they keep their index, their widget and their handlers.
//
// Qt 6.4's tab bar measures its scroll range from the last tab of its list even when that tab is
// hidden: with the service page (the last one) hidden, both scroll arrows stay disabled and the
// strip is shifted, so no page beyond the second can be reached with the mouse. The last page is
// therefore taken out of the strip by folding its tab to no width and disabling it (no click,
// no Ctrl+Tab, no wheel reaches it); every other page uses the tab bar's own visibility.
// Window thread.
#pragma once

#include <QTabWidget>

class TPageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit TPageControl(QWidget* parent = nullptr);

    // Whether the page's tab is in the strip (what the window shows and hides).
    void setPageShown(int index, bool shown);
    bool isPageShown(int index) const;

    // The page key's direction: +1 for Ctrl+Tab, Ctrl+PageDown (Shift or not), -1 for
    // Ctrl+Shift+Tab and Ctrl+PageUp, 0 for any other key.
    static int pageStep(const QKeyEvent& event);
    // Goes `step` pages on, over the pages whose tab is not in the strip or disabled, wrapping.
    void stepPage(int step);

protected:
    // The page keys move through the pages (Qt 6.4 would also stop on hidden ones).
    void keyPressEvent(QKeyEvent* event) override;
};
