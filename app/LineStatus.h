// What the window says of the link: the status line when the indicator does not give a valid answer
// (the request, and why its last answer was refused) and the Connection page's text, in the current
// language. Window thread.
#pragma once

#include "modbus/MiniModbus.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace qv7 {

// A refused frame: its reason and, for an exception, the indicator's code.
using Refusal = std::pair<TRejectReason, int>;

// What the link is doing, as the Connection page says it.
enum class LinkState { Disconnected, Connected, NoAnswer, Refused };

// "lecture des registres 0–11" for a step of the transfers; empty for a step that sends nothing.
QString requestText(std::int32_t step);
// "CRC erroné", "exception 02, adresse de données illégale", ... (the texts are the Modbus layer's).
QString refusalText(TRejectReason reason, int exceptionCode);
// A text of the master's (RejectText's) in the window's language.
std::string masterText(const char* french);
// After a few unanswered tries: "L'appareil ne répond pas (lecture des registres 0–11)", with the last
// refusal when there was one; an exception is the indicator's refusal, said as such with its name.
QString noAnswerText(std::int32_t step, const std::optional<Refusal>& lastRefusal);
// The link's state after a few unanswered tries, by the last refusal.
LinkState noAnswerState(const std::optional<Refusal>& lastRefusal);
// The Connection page's text.
QString connectPageText(LinkState state);

} // namespace qv7
