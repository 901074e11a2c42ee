#include "editor/window_title.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace {

// The window icon, the minimise, maximise and close buttons and the borders of the common
// window managers' frames, with room to spare for the ones that draw them larger.
constexpr int kFrameAllowance = 160;

} // namespace

QString shownWindowTitle(const QWidget& window) {
    QString title = window.windowTitle();
    title.replace(QLatin1String("[*]"), QString());
    const QString app = QGuiApplication::applicationDisplayName();
    if (app.isEmpty() || title.endsWith(app))
        return title.isEmpty() ? app : title;
    return title.isEmpty() ? app : title + QStringLiteral(" — ") + app;
}

int titleBarWidth(const QWidget& window) {
    // Title bars use the desktop's title font, often bold; the widest of it and the window's
    // own font in bold stands for the one the window manager picks.
    int text = 0;
    for (QFont font : {QFontDatabase::systemFont(QFontDatabase::TitleFont), window.font()}) {
        font.setBold(true);
        text = std::max(text, QFontMetrics(font).horizontalAdvance(shownWindowTitle(window)));
    }
    return text + kFrameAllowance;
}

void fitWidthToTitle(QWidget& window) {
    const int layoutWidth = window.layout() ? window.layout()->totalMinimumSize().width() : 0;
    const int width = std::max(layoutWidth, titleBarWidth(window));
    window.setMinimumWidth(width);
    window.resize(std::max(window.width(), width), window.height());
}
