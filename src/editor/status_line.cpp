#include "editor/status_line.h"

#include <QResizeEvent>

#include <algorithm>

namespace {

const QString kSeparator = QStringLiteral(" — ");

} // namespace

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ElidedLabel::setFullText(const QString& text) {
    if (text == full_)
        return;
    full_ = text;
    fit();
    updateGeometry();
}

QSize ElidedLabel::sizeHint() const {
    const QMargins m = contentsMargins();
    return {fontMetrics().horizontalAdvance(full_) + m.left() + m.right() + 2 * margin(),
            QLabel::sizeHint().height()};
}

QSize ElidedLabel::minimumSizeHint() const {
    // Room for a few characters and the ellipsis: the rest goes to the tooltip.
    const QMargins m = contentsMargins();
    const int few = fontMetrics().horizontalAdvance(QStringLiteral("Mmm…"));
    return {std::min(sizeHint().width(), few + m.left() + m.right() + 2 * margin()),
            QLabel::minimumSizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    fit();
}

void ElidedLabel::fit() {
    const int room = contentsRect().width() - 2 * margin();
    const QString shown = fontMetrics().elidedText(full_, Qt::ElideRight, std::max(room, 0));
    // setText would ask for a new layout: only when what shows changes.
    if (shown != text())
        setText(shown);
    setToolTip(shown == full_ ? QString() : full_);
}

StatusLine::StatusLine(ElidedLabel* message, ElidedLabel* doubling, QLabel* calibration,
                       QObject* parent)
    : QObject(parent), message_(message), doubling_(doubling), calibration_(calibration) {
    passing_.setSingleShot(true);
    passing_.setInterval(kPassingTime);
    connect(&passing_, &QTimer::timeout, this, [this] {
        if (kind_ == Kind::Passing)
            clearMessage();
    });
    // Orange, and bold enough to be seen beside the scale it qualifies.
    calibration_->setStyleSheet(QStringLiteral("QLabel { color: rgb(230, 120, 0); "
                                               "font-weight: bold; }"));
    doubling_->hide();
    calibration_->hide();
}

void StatusLine::show(Kind kind, const QString& text) {
    kind_ = text.isEmpty() ? Kind::None : kind;
    message_->setFullText(text);
    if (kind_ == Kind::Passing)
        passing_.start();
    else
        passing_.stop();
}

void StatusLine::pass(const QString& text) {
    show(Kind::Passing, text);
}

void StatusLine::refuse(const QString& text) {
    show(Kind::Refusal, text);
}

void StatusLine::prompt(const QString& text) {
    show(Kind::Prompt, text);
}

void StatusLine::accepted() {
    if (kind_ == Kind::Refusal)
        clearMessage();
}

void StatusLine::clearMessage() {
    show(Kind::None, {});
}

void StatusLine::setLasting(const QString& doubling, const QString& calibration) {
    doubling_->setFullText(doubling);
    doubling_->setVisible(!doubling.isEmpty());
    if (calibration_->text() != calibration)
        calibration_->setText(calibration);
    calibration_->setVisible(!calibration.isEmpty());
}

QString StatusLine::message() const {
    return message_->fullText();
}

QString StatusLine::lasting() const {
    QStringList parts;
    for (const QString& part : {doubling_->fullText(), calibration_->text()})
        if (!part.isEmpty())
            parts << part;
    return parts.join(kSeparator);
}

QString StatusLine::whole() const {
    QStringList parts;
    for (const QString& part : {message(), lasting()})
        if (!part.isEmpty())
            parts << part;
    return parts.join(kSeparator);
}
