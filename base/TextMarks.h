// Marks a text of the Qt-free layers that a window shows, so the translation tools find it: the
// mark leaves the French text as it is, and the window looks up its English by context and text
// (QCoreApplication::translate). Defined exactly as Qt defines it, so either may come first.
#pragma once

#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif
