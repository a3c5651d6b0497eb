// The captions of the window's parameter pages (their tabs), which the configuration sheet also
// names its groups by. French sources in the window's context; the window and the sheet look up
// their English by context "TMainForm". Constant data, any thread.
#pragma once

#include "base/TextMarks.h"

namespace qv7::pagecaption {

inline constexpr char Connect[] = QT_TRANSLATE_NOOP("TMainForm", "Connexion");
inline constexpr char Ident[] = QT_TRANSLATE_NOOP("TMainForm", "Identification");
inline constexpr char Cfg[] = QT_TRANSLATE_NOOP("TMainForm", "Configuration");
inline constexpr char Input[] = QT_TRANSLATE_NOOP("TMainForm", "Entrée"); // the four input pages
inline constexpr char Process[] = QT_TRANSLATE_NOOP("TMainForm", "Traitement");
inline constexpr char Display[] = QT_TRANSLATE_NOOP("TMainForm", "Affichage");
inline constexpr char Alarm1[] = QT_TRANSLATE_NOOP("TMainForm", "Alarme 1");
inline constexpr char Alarm2[] = QT_TRANSLATE_NOOP("TMainForm", "Alarme 2");
inline constexpr char Alarm3[] = QT_TRANSLATE_NOOP("TMainForm", "Alarme 3");
inline constexpr char Alarm4[] = QT_TRANSLATE_NOOP("TMainForm", "Alarme 4");
inline constexpr char Output[] = QT_TRANSLATE_NOOP("TMainForm", "Sortie");
// Names, the same in every language.
inline constexpr char Rs485[] = "RS485";
inline constexpr char Service[] = "Norvex";

} // namespace qv7::pagecaption
