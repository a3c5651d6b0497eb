// What the window says when a write is refused before anything is sent. Window thread.
#pragma once

#include "indicator/ParamSend.h"

namespace qv7 {

// Shows, naming the parameter, why the record is not sent.
void showUnsendable(const ParamSendFault& fault);

} // namespace qv7
