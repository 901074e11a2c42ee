#pragma once

#include <QString>

#include <vector>

class ScriptedEditor;

// What running one action gave: status 0 (done), 1 (failed at run time) or 2 (the user could
// not have done this: malformed or out-of-range value, disabled or hidden control).
struct ActionResult {
    int status = 0;
    QString message; // why, when status is not 0
};

// One NAME=VALUE action of couples-cli. New actions are added to the table in cli_actions.cpp,
// which the usage text is made from.
struct CliAction {
    const char* name;
    const char* value; // the VALUE's form in the usage: "N", "on|off", "FILE.png"
    const char* help;  // what the user's action is, for the usage
    ActionResult (*run)(ScriptedEditor& window, const QString& value);
};

// The usage text: the command line, then one line per action, from the table.
QString cliUsage();

const std::vector<CliAction>& cliActions();
const CliAction* findCliAction(const QString& name);
