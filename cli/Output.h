// qv7ctl's output: text and JSON on stdout, the transfer figures on stderr. Main thread.
#pragma once

#include <QJsonObject>
#include <QString>

namespace qv7::cli {

class Session;

void print(const QString& text);
void printJson(const QJsonObject& object);
// The transfers' time, requests and bytes against the time the line itself needs (--stats).
void printStats(const Session& session);

} // namespace qv7::cli
