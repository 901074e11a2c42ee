#pragma once

#include <QStringList>
#include <QTextStream>

// The scripting front-end: `couples-cli [--surface WxH] ACTION...` without the program name.
// Starts the editor window offscreen, runs each action as the user would, letting the event
// loop settle in between, and returns the exit status: 0 when every action ran, 2 for bad
// usage (the message names the action; no later action runs), 1 for a run-time failure.
// A QApplication must exist. Messages go to err, the usage text for --help to out.
int runCouplesCli(const QStringList& args, QTextStream& out, QTextStream& err);

// Handles pending events (resize, expose, paint) until the window is quiet.
void settleEvents();

// Where actions print what they report (mspaint=): the out stream of the running script.
QTextStream& cliOut();
// Where actions print warnings that do not stop the script: its err stream.
QTextStream& cliErr();
