#pragma once

#include <QString>

#include <initializer_list>

class QComboBox;
class QLabel;
class QWidget;

// Widgets the small export dialogs share.

// Boxes side by side, followed by their unit ("mm").
QWidget* withUnit(QWidget* parent, std::initializer_list<QWidget*> items, const QString& unit);

// The sheets of paper a PDF or a print goes on: A4 and A3, portrait and landscape, each with
// its Sheet as the item's data.
QComboBox* paperChoice(QWidget* parent);

// The DXF versions an export writes: "AutoCAD 2000" and "R12 (AC1009)", which many laser and
// CAM programs need, each with its DxfVersion as the item's data.
QComboBox* dxfVersionChoice(QWidget* parent);

// The line that tells in red why a typed value was refused; hidden until it has something to
// tell.
QLabel* refusalLine(QWidget* parent);
