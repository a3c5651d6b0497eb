// A SignalPipe watched by the event loop of the thread that makes the notifier: `onSignal` runs there
// once per wake-up in which signals came, with the last one's number. A QSocketNotifier on the pipe
// on POSIX, a QWinEventNotifier on its event on Windows (SignalNotifier.cpp, SignalNotifierWindows.cpp).
#pragma once

#include "base/SignalPipe.h"

#include <QObject>

#include <functional>
#include <memory>

namespace qv7 {

// nullptr when the pipe has nothing to watch (the signals then keep their actions). The notifier
// goes before the pipe it watches.
std::unique_ptr<QObject> makeSignalNotifier(SignalPipe& pipe, std::function<void(int number)> onSignal);

} // namespace qv7
