#include "editor/piece_size_dialog.h"

#include "editor/window_title.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFormLayout>

namespace {

// The pieces in the order of the 3-D window's buttons, with their save codes.
const std::pair<const char*, int> kPieces[] = {{"Couple Entier", 5},
                                               {"1/2 couple Gauche", 3},
                                               {"1/2 couple Droit", 4},
                                               {"1/2 couple Haut", 2},
                                               {"1/2 couple Bas", 1}};

QDoubleSpinBox* millimetreBox(QWidget* parent) {
    auto* b = new QDoubleSpinBox(parent);
    b->setRange(0.01, 10000.0);
    b->setDecimals(2);
    b->setSuffix(QStringLiteral(" mm"));
    return b;
}

} // namespace

PieceSizeDialog::PieceSizeDialog(const QString& title, std::function<QSizeF(int)> realSize,
                                 QWidget* parent)
    : QDialog(parent), realSize_(std::move(realSize)) {
    setWindowTitle(title);
    pieceBox = new QComboBox(this);
    for (const auto& [name, code] : kPieces) {
        pieceBox->addItem(QString::fromUtf8(name), code);
    }
    widthBox = millimetreBox(this);
    heightBox = millimetreBox(this);
    keepProportions = new QCheckBox(QStringLiteral("Garder les proportions"), this);
    keepProportions->setChecked(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Pièce :"), pieceBox);
    form->addRow(QStringLiteral("Largeur :"), widthBox);
    form->addRow(QStringLiteral("Hauteur :"), heightBox);
    form->addRow(keepProportions);
    form->addRow(buttons);

    connect(pieceBox, &QComboBox::currentIndexChanged, this, [this] { showRealSize(); });
    connect(widthBox, &QDoubleSpinBox::valueChanged, this, [this] { sizeTyped(true); });
    connect(heightBox, &QDoubleSpinBox::valueChanged, this, [this] { sizeTyped(false); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showRealSize();
    fitWidthToTitle(*this);
}

void PieceSizeDialog::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange || event->type() == QEvent::FontChange)
        fitWidthToTitle(*this);
}

void PieceSizeDialog::showRealSize() {
    shown_ = realSize_(pieceBox->currentData().toInt());
    filling_ = true;
    widthBox->setValue(shown_.width());
    heightBox->setValue(shown_.height());
    filling_ = false;
    widthTyped_ = heightTyped_ = false;
}

void PieceSizeDialog::sizeTyped(bool widthTyped) {
    if (filling_)
        return;
    widthTyped_ = widthTyped_ || widthTyped;
    heightTyped_ = heightTyped_ || !widthTyped;
    if (!keepProportions->isChecked() || !(shown_.width() > 0) || !(shown_.height() > 0))
        return;
    // The other follows; only the one typed last counts, so rounding the other to two
    // decimals never bends the proportions.
    filling_ = true;
    if (widthTyped) {
        heightBox->setValue(widthBox->value() * shown_.height() / shown_.width());
        heightTyped_ = false;
    } else {
        widthBox->setValue(heightBox->value() * shown_.width() / shown_.height());
        widthTyped_ = false;
    }
    filling_ = false;
}

PieceSizeChoice PieceSizeDialog::choice() const {
    PieceSizeChoice c;
    c.Piece = pieceBox->currentData().toInt();
    if (widthTyped_)
        c.width = widthBox->value();
    if (heightTyped_)
        c.height = heightBox->value();
    // Without proportions the size not typed stays the real one.
    if (!keepProportions->isChecked() && (c.width || c.height)) {
        c.width = c.width.value_or(shown_.width());
        c.height = c.height.value_or(shown_.height());
    }
    return c;
}
