// TCourbe: a curve description the plot control owns: a start and an end abscissa and a flag, set
// by its initialisation, and an evaluation that gives 0 in this class. The control creates one
// and frees it with itself; no operation of the editor consults it.
#pragma once

#include "base/Component.h"

class QObject;

class TCourbe : public TComponent {
public:
    // Runs the initialisation (this class's: both abscissae 0.0, the flag false). As in any C++
    // constructor, a derived class's override is not the one run here; it can call its own.
    explicit TCourbe(QObject* owner);

    QObject* Owner() const { return owner_; }

    double XStart() const { return xStart_; }
    double XEnd() const { return xEnd_; }
    bool Defined() const { return defined_; }

    virtual double Evaluate(double x) const;

protected:
    virtual void Initialise();

    double xStart_ = 0.0;
    double xEnd_ = 0.0;
    bool defined_ = false;

private:
    QObject* owner_;
};
