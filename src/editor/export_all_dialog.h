#pragma once

#include "export/page_tiling.h"
#include "export/sheet_layout.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class NumberBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

// The files "Exporter tous les couples..." writes the sheets as.
enum class SheetsFormat { Dxf, Svg, Pdf };

// What the user asked for before the formers are laid out on their sheets: the format, the
// sheet (the laser's bed or the plate of wood) and the spacing, whether each former is cut as
// its two halves, which formers, and for PDF the paper the pages are printed on.
struct ExportAllChoice {
    SheetsFormat format = SheetsFormat::Dxf;
    SheetOptions sheet;       // 600 × 300 mm, 5 mm apart
    bool halves = false;      // "Demi-couples"
    std::vector<bool> ticked; // by former, in the project's order; missing ones are ticked
    Sheet paper = Sheet::A4Portrait;
};

// The dialog that asks for it: "Format :", "Plaque :" width and height, "Espacement :",
// "Demi-couples", the formers each with its tick box, and "Papier :" for PDF.
class ExportAllDialog : public QDialog {
    Q_OBJECT

public:
    ExportAllDialog(const QString& title, const QStringList& formers, QWidget* parent = nullptr);
    ExportAllChoice choice() const;
    void setChoice(const ExportAllChoice& c);

    QComboBox* formatBox = nullptr;    // "Format :", DXF, SVG or PDF
    NumberBox* sheetWidth = nullptr;   // "Plaque :" width, millimetres
    NumberBox* sheetHeight = nullptr;  // its height
    NumberBox* spacing = nullptr;      // "Espacement :", between parts and from the edges
    QCheckBox* halves = nullptr;       // "Demi-couples": each former as its two halves
    QListWidget* formerList = nullptr; // the formers, ticked ones exported
    QComboBox* paperBox = nullptr;     // "Papier :", enabled for PDF
    QLabel* message = nullptr;         // the last refusal, red

    // Confirms the boxes first, and wants at least one former ticked.
    void accept() override;

private:
    void showRefusal(const QString& text);
};
