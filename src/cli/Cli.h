#pragma once

#include <QStringList>

class QTextStream;

// velloa-cli: converts flight logs without the window, through the same core
// functions as the window's two buttons.
// `arguments` includes the program name first. Writes the summaries and the
// names written to `out`, failures to `err` as "velloa-cli: NAME: MESSAGE".
// Returns 0 when every requested file was written, 1 when any failed, 2 for
// bad usage.
int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err);
