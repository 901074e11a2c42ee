#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about window "A propos": the editor's name, the version of the build, what the editor
// does, the Qt version it runs on, and "&OK" to close it.
class FrmHlp : public QDialog {
    Q_OBJECT

public:
    explicit FrmHlp(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;        // "EDITEUR de COUPLES", large
    QLabel* Label2 = nullptr;        // "Version ...", from the build
    QLabel* Label3 = nullptr;        // one line on what the editor does
    QLabel* Label4 = nullptr;        // "Qt ...", the version it runs on
    QPushButton* Command1 = nullptr; // "&OK": closes the window
};
