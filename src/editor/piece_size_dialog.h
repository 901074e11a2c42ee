#pragma once

#include <QDialog>
#include <QSizeF>

#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

// What the user asked for before a drawing is written: the piece and the size typed. A size
// left out follows the other with the piece's proportions; both left out keep the real size.
struct PieceSizeChoice {
    int Piece = 5; // save code: 1 bottom, 2 top, 3 left, 4 right, 5 whole
    std::optional<double> width;
    std::optional<double> height;
};

// The small dialog that asks for it: the piece, its width and height in millimetres filled
// with its real size, and "Garder les proportions" so that typing one sets the other. It is
// wide enough for its title, which the title bar shows with the editor's name.
class PieceSizeDialog : public QDialog {
    Q_OBJECT

public:
    // realSize gives the real size of a piece (by save code), shown until the user types.
    PieceSizeDialog(const QString& title, std::function<QSizeF(int Piece)> realSize,
                    QWidget* parent = nullptr);
    PieceSizeChoice choice() const;

    QComboBox* pieceBox = nullptr;        // "Pièce :", the five pieces, the whole former first
    QDoubleSpinBox* widthBox = nullptr;   // "Largeur :", millimetres
    QDoubleSpinBox* heightBox = nullptr;  // "Hauteur :", millimetres
    QCheckBox* keepProportions = nullptr; // "Garder les proportions", on at first

protected:
    // A new title or font sizes the dialog again, so the title shows whole.
    void changeEvent(QEvent* event) override;

private:
    void showRealSize();
    void sizeTyped(bool widthTyped);

    std::function<QSizeF(int)> realSize_;
    QSizeF shown_;         // the real size of the piece chosen
    bool filling_ = false; // values set by the dialog itself, not typed
    bool widthTyped_ = false;
    bool heightTyped_ = false;
};
