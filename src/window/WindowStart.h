#pragma once

#include <QStringList>

class QTextStream;
class SornLogic;

// What the window program's command line asked for: a running window
// (Logic is its controller), or an end with ExitCode (Logic is null).
struct WindowStart {
    SornLogic* Logic = nullptr;
    int ExitCode = 0;
};

// The window program's entry logic, behind main(): `velloa [FILE]` creates
// the controller, gives it FILE as its input, as a drop on the input field
// does (this is how a file manager's "Open with" and the desktop entry's %f
// reach it), and shows the main window. --help and --version print to `out`
// and end with 0; bad usage (an unknown option, more than one FILE) prints
// the message and the help to `err` and ends with 2.
WindowStart StartWindow(const QStringList& arguments, QTextStream& out, QTextStream& err);
