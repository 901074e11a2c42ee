#pragma once

#include "files/decimal_text.h"

#include <QLineEdit>
#include <QLocale>

#include <optional>

// A box where the user types a number, read by readDecimal: "," and "." whatever the desktop's
// language, nothing else. The text is read when the user confirms it (Enter, or leaving the
// box after an edit): a number of the box becomes the value, anything else marks the box (a
// red frame, property "refused" true) and `refused` carries the French message for the
// status bar, the box showing the value in force again. A half-typed text is never taken.
class NumberBox : public QLineEdit {
    Q_OBJECT

public:
    // name: how the messages call the box ("Largeur"); decimals: the decimals values are
    // shown with.
    NumberBox(const QString& name, const DecimalRule& rule, int decimals,
              QWidget* parent = nullptr);

    const QString name;
    const DecimalRule rule;

    // The last number confirmed, or the one set.
    double value() const { return value_; }
    // Shows a value the program computed, rounded to the box's decimals, unmarked; emits
    // nothing. value() keeps it exactly.
    void setValue(double v);
    // Shows a value the user gave (a remembered one): exactly, with at least the box's decimals.
    void setTypedValue(double v);
    // The number the text says as it stands (a rounded value as rounded), nullopt for none.
    std::optional<double> shownValue() const;
    bool isMarked() const { return marked_; }
    // The user's confirmation: a text edited since it was last shown is read; true when it
    // reads (it is shown again in the box's format, valueTyped follows), false when it does not
    // (the box shows the value in force, marked, and `refused` follows). An unedited text
    // is the value in force: it stands (true), marked or not.
    bool confirm();
    // A number the box read that the window cannot take after all (a width the former cannot
    // hold): the value and the text go back to `previous`, the box is marked, `refused` carries
    // the reason.
    void refuse(const QString& reason, double previous);
    // The decimal separator values are shown with: the desktop's (userLocale) unless set.
    void setDisplayLocale(const QLocale& locale) { locale_ = locale; }

signals:
    // The user confirmed a text that reads as this number.
    void valueTyped(double value);
    // The user confirmed a text that is no number of this box: "Largeur : « abc » n'est pas
    // un nombre".
    void refused(const QString& message);

private:
    void edited(const QString& text);
    void showRefusal(const QString& reason);
    void mark(bool on);
    QString shown(double v, bool exact) const;

    int decimals_;
    QLocale locale_;
    double value_ = 0.0;
    bool marked_ = false;
    QString shownText_; // the value in force as the box shows it
};
