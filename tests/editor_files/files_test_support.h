#pragma once

#include "editor_test_support.h"

#include "files/couple_export.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <string>

// The bytes of a file, or "<missing>" when it cannot be read.
inline std::string fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<missing>";
    return f.readAll().toStdString();
}

// The entries of a folder, hidden ones included: a stray temporary file shows up here.
inline QStringList folderEntries(const QString& path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                QDir::NoDotAndDotDot);
}

// What the export reads from the window, as the files library takes it.
inline OutlineInput outlineInput(const Main& w) {
    const FormerModel& m = w.model();
    return {m.Courbe_Droite,
            m.Courbe_Gauche,
            m.Doublage_Droit,
            m.Doublage_Gauche,
            m.Nb_Points,
            m.Line4.Y1,
            w.Check4->isChecked() ? 1 : 0};
}

// Stands in for the user at the file dialogs and message boxes of a window: every dialog gets
// `typed` (a cancel when empty), every warning is recorded.
struct ScriptedUser {
    explicit ScriptedUser(Main& w) : window(w) {
        w.fileDialogAnswer = [this](const QString& pattern, const QString& description,
                                    int forSave) {
            ++dialogs;
            lastPattern = pattern;
            lastDescription = description;
            lastForSave = forSave;
            return typed;
        };
        w.warningSink = [this](const QString& title, const QString& text) {
            warningTitles << title;
            warnings << text;
        };
    }
    ~ScriptedUser() {
        window.fileDialogAnswer = nullptr;
        window.warningSink = nullptr;
    }
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    Main& window;
    QString typed;
    int dialogs = 0;
    QString lastPattern;
    QString lastDescription;
    int lastForSave = -1;
    QStringList warningTitles;
    QStringList warnings;
};

// Runs the test body with `dir` as the current folder, where the dialogs open and relative
// names are taken, and puts the old one back.
struct CurrentFolder {
    explicit CurrentFolder(const QString& dir) : old(QDir::currentPath()) { QDir::setCurrent(dir); }
    ~CurrentFolder() { QDir::setCurrent(old); }
    QString old;
};
