#pragma once

#include <QString>

class QWidget;

// The title as the desktop's title bar shows it: Qt adds " — " and the application's display
// name ("Exporter en SVG — EDITEUR de COUPLES") unless the title already ends with it.
QString shownWindowTitle(const QWidget& window);

// The width in logical pixels that a window needs for its title bar to show the title whole:
// the shown title in a bold title-bar font, plus the frame's icon, buttons and borders. At
// 200 % the window manager doubles its frame with the screen, so logical pixels hold for both.
int titleBarWidth(const QWidget& window);

// Widens a small dialog to titleBarWidth, never below what its layout needs, and keeps it
// there as its minimum: a title cut to "Exporter... OUPLES" tells the user nothing.
void fitWidthToTitle(QWidget& window);
