#pragma once

class QTextBrowser;
class QWidget;

// The guide of "&Aide" › "&Aide": one page in French for the model builder, in a window of its
// own that stays open beside the editor (not modal). Its parent owns it.
QTextBrowser* makeHelpWindow(QWidget* parent);
