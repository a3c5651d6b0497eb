// TLinDevice: what the linearisation editor needs of the indicator. The main window, which owns the
// indicator component, implements it and hands it to the editor; the editor never reaches the window
// layer itself. Window thread.
#pragma once

class TDraw;

class TLinDevice {
public:
    virtual ~TLinDevice() = default;
    // Starts the read of the indicator's table; its completion replaces the editor's curve later.
    virtual void ReadLin() = 0;
    // Turns Draw1's curve into the indicator's table and starts the table write. False when nothing
    // was sent: the curve does not fit the table, or the user stopped at a warning.
    virtual bool SendCurveToDevice(TDraw& Draw1) = 0;
};
