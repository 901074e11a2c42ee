#pragma once

#include "export/page_tiling.h"

#include <QDialog>
#include <QSizeF>

#include <functional>
#include <optional>

class NumberBox;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;

// What the user asked for before a drawing is written: the piece, the size typed and, for PDF
// and printing, the sheet; for DXF, the version written. A size left out follows the other with the
// piece's proportions; both left out keep the real size.
struct PieceSizeChoice {
    int Piece = 5; // save code: 1 bottom, 2 top, 3 left, 4 right, 5 whole
    std::optional<double> width;
    std::optional<double> height;
    Sheet page = Sheet::A4Portrait;
    DxfVersion dxf = DxfVersion::AutoCad2000;
};

// The small dialog that asks for it: the piece, its width and height in millimetres filled
// with its real size, and "Garder les proportions", ticked, so that typing one sets the other
// with the piece's own proportions; unticked, the two are free and the piece is stretched. It
// is wide enough for its title, which the title bar shows with the editor's name.
class PieceSizeDialog : public QDialog {
    Q_OBJECT

public:
    // realSize gives the real size of a piece (by save code), shown until the user types.
    // pageChoice adds "Page :", for PDF and printing; dxfChoice "Version DXF :".
    PieceSizeDialog(const QString& title, std::function<QSizeF(int Piece)> realSize,
                    QWidget* parent = nullptr, bool pageChoice = false, bool dxfChoice = false);
    PieceSizeChoice choice() const;
    // Starts from a choice the caller remembers: its piece, its page and the sizes typed (both
    // typed: the proportions were let go).
    void setChoice(const PieceSizeChoice& c);

    QComboBox* pieceBox = nullptr;        // "Pièce :", the five pieces, the whole former first
    NumberBox* widthBox = nullptr;        // "Largeur :", millimetres
    NumberBox* heightBox = nullptr;       // "Hauteur :", millimetres
    QCheckBox* keepProportions = nullptr; // "Garder les proportions", on at first
    QComboBox* pageBox = nullptr;         // "Page :", the four sheets; shown with pageChoice
    QComboBox* dxfBox = nullptr;          // "Version DXF :"; shown with dxfChoice
    QLabel* message = nullptr;            // the last refusal, red, while a box is marked

    // Confirms both boxes first: a box whose text is no number keeps the dialog open.
    void accept() override;

signals:
    // A box refused what was typed: the French message, for the window's status bar.
    void refused(const QString& message);

protected:
    // A new title or font sizes the dialog again, so the title shows whole.
    void changeEvent(QEvent* event) override;

private:
    void showRealSize();
    void sizeTyped(bool width);
    void follow();
    void boxRefused(const QString& text);

    std::function<QSizeF(int)> realSize_;
    QSizeF shown_; // the real size of the piece chosen
    bool widthTyped_ = false;
    bool heightTyped_ = false;
    bool widthLast_ = true; // the side typed last, which the other follows
};
