// The program's five windows, created at start-up in their fixed order and kept for the whole run.
// Other windows reach one another through these instances. Window thread.
#pragma once

#include "link/Transport.h"

#include <memory>

class TAboutBox;
class TDessinForm;
class TMainForm;
class TSelectForm;
class TXfertForm;

// The instances; null before Forms exists and after it is gone.
extern TMainForm* MainForm;
extern TAboutBox* AboutBox;
extern TXfertForm* XfertForm;
extern TDessinForm* DessinForm;
extern TSelectForm* SelectForm;

// Creates MainForm, AboutBox, XfertForm, DessinForm and SelectForm in that order, all hidden,
// and points the instances at them; destroys them in the opposite order.
class Forms {
public:
    // The main window's component is built on `transport`.
    explicit Forms(qv7::TransportSource transport);
    ~Forms();
    Forms(const Forms&) = delete;
    Forms& operator=(const Forms&) = delete;

private:
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<TAboutBox> about_;
    std::unique_ptr<TXfertForm> xfert_;
    std::unique_ptr<TDessinForm> dessin_;
    std::unique_ptr<TSelectForm> select_;
};
