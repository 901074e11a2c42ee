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
// its two halves, which formers, for DXF its version, and for PDF the paper the pages are
// printed on or pages of the sheet's own size.
struct ExportAllChoice {
    SheetsFormat format = SheetsFormat::Dxf;
    SheetOptions sheet;       // 600 × 300 mm, 5 mm apart
    bool halves = false;      // "Demi-couples"
    std::vector<bool> ticked; // by former, in the project's order; missing ones are ticked
    Sheet paper = Sheet::A4Portrait;
    DxfVersion dxf = DxfVersion::AutoCad2000; // "Version DXF"
    bool sheetSizePages = false; // "Pages à la taille de la plaque": one page a sheet, at 1:1
};

// The dialog that asks for it: "Format :", "Plaque :" width and height, "Espacement :",
// "Demi-couples", the formers each with its tick box, "Version DXF :" for DXF, and for PDF
// "Pages à la taille de la plaque" or "Papier :".
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
    QComboBox* dxfBox = nullptr;       // "Version DXF :", enabled for DXF
    QCheckBox* sheetPages = nullptr;   // "Pages à la taille de la plaque", enabled for PDF
    QComboBox* paperBox = nullptr;     // "Papier :", enabled for PDF on paper
    QLabel* message = nullptr;         // the last refusal, red

    // Confirms the boxes first, and wants at least one former ticked.
    void accept() override;

private:
    void showRefusal(const QString& text);
};
