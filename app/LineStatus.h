// What the status line says when the indicator does not give a valid answer: the request
// and why its last answer was refused, in the current language. Window thread.
#pragma once

#include "modbus/MiniModbus.h"

#include <QString>

#include <cstdint>

namespace qv7 {

// "lecture des registres 0–11" for a step of the transfers; empty for a step that sends nothing.
QString requestText(std::int32_t step);
// "CRC erroné", "exception 02 adresse de données illégale", ...
QString refusalText(TRejectReason reason, int exceptionCode);
// "L'appareil ne répond pas (lecture des registres 0–11)", and the last refusal when there was one.
QString noAnswerText(std::int32_t step, const QString& lastRefusal);

} // namespace qv7
