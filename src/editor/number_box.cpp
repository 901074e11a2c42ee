#include "editor/number_box.h"

#include "editor/application.h"

NumberBox::NumberBox(const QString& name, const DecimalRule& rule, int decimals, QWidget* parent)
    : QLineEdit(parent), name(name), rule(rule), decimals_(decimals), locale_(userLocale()) {
    setProperty("refused", false);
    connect(this, &QLineEdit::textEdited, this, &NumberBox::edited);
    // Enter, or leaving the box once its text changed.
    connect(this, &QLineEdit::editingFinished, this, [this] { confirm(); });
}

QString NumberBox::shown(double v, bool exact) const {
    QString text = QString::number(v, 'f', decimals_);
    if (exact && text.toDouble() != v) // QString reads a point whatever the locale
        text = QString::number(v, 'f', QLocale::FloatingPointShortest);
    // No group separators: an English desktop's "," would read as the decimal separator.
    return text.replace(QLatin1Char('.'), locale_.decimalPoint());
}

void NumberBox::setValue(double v) {
    value_ = v;
    shownText_ = shown(v, false);
    setText(shownText_);
    mark(false);
}

void NumberBox::setTypedValue(double v) {
    value_ = v;
    shownText_ = shown(v, true);
    setText(shownText_);
    mark(false);
}

std::optional<double> NumberBox::shownValue() const {
    return readDecimal(text().toStdString(), rule).value;
}

void NumberBox::edited(const QString& text) {
    // A mark goes as soon as the text is put right; the value waits for the confirmation, so
    // that "1,2" on the way to "1,2,3" is never taken.
    if (marked_ && readDecimal(text.toStdString(), rule).ok())
        mark(false);
}

bool NumberBox::confirm() {
    // Unedited, the box shows the value in force (after a refusal too): it stands.
    if (!isModified())
        return true;
    const DecimalReading r = readDecimal(text().toStdString(), rule);
    if (!r.ok()) {
        showRefusal(QString::fromStdString(r.reason));
        return false;
    }
    setTypedValue(*r.value);
    emit valueTyped(value_);
    return true;
}

void NumberBox::refuse(const QString& reason, double previous) {
    if (previous != value_)
        shownText_ = shown(previous, true);
    value_ = previous;
    showRefusal(reason);
}

void NumberBox::showRefusal(const QString& reason) {
    // The box goes back to the value in force, marked until the user types again, and the
    // reason is told once; the text refused is selected so that typing replaces it.
    setText(shownText_);
    selectAll();
    mark(true);
    emit refused(name + QStringLiteral(" : ") + reason);
}

void NumberBox::mark(bool on) {
    if (on == marked_)
        return;
    marked_ = on;
    setProperty("refused", on);
    setStyleSheet(on ? QStringLiteral("QLineEdit { border: 2px solid rgb(208, 0, 0); "
                                      "background: rgb(255, 232, 232); }")
                     : QString());
}
