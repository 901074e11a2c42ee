#pragma once

#include <QLabel>
#include <QObject>
#include <QTimer>

#include <chrono>

// A label that shows as much of its text as its place holds: shortened with "…" where it must
// be, the whole text then in its tooltip. It asks for no room beyond a few characters, so that a
// long message never widens its window.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text);
    const QString& fullText() const { return full_; }
    // The text shows shortened (the whole of it in the tooltip).
    bool shortened() const { return text() != full_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void fit();
    QString full_;
};

// The status bar's messages: one line that tells what is true now, each kind in its place.
// - A passing message (a file written, the plan calibrated) goes after a while.
// - A refusal (a value typed that cannot be taken) stays until the next valid entry.
// - A prompt (the calibration's clicks) stays until it is answered or another message comes.
// - The lasting states stay in places of their own for as long as they are true: why the
//   doubling is not drawn, and the orange "Plan non calibré" beside "Échelle".
class StatusLine : public QObject {
    Q_OBJECT

public:
    enum class Kind { None, Passing, Refusal, Prompt };
    static constexpr std::chrono::milliseconds kPassingTime{5000};

    // The labels are the status bar's: the message's and the doubling's elide, the
    // calibration's is short and shows whole.
    StatusLine(ElidedLabel* message, ElidedLabel* doubling, QLabel* calibration, QObject* parent);

    void pass(const QString& text);
    void refuse(const QString& text);
    void prompt(const QString& text);
    // A valid entry: a refusal is no longer what is true now.
    void accepted();
    void clearMessage();
    // The lasting states, "" where it is not so.
    void setLasting(const QString& doubling, const QString& calibration);

    Kind kind() const { return kind_; }
    QString message() const;
    // The lasting states as the line shows them, and the whole line: the message, then them.
    QString lasting() const;
    QString whole() const;
    // How long a passing message stays.
    void setPassingTime(std::chrono::milliseconds time) { passing_.setInterval(time); }

private:
    void show(Kind kind, const QString& text);

    ElidedLabel* message_;
    ElidedLabel* doubling_;
    QLabel* calibration_;
    Kind kind_ = Kind::None;
    QTimer passing_;
};
