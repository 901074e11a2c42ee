#include "editor/piece_size_dialog.h"

#include "editor/dialog_rows.h"
#include "editor/number_box.h"
#include "editor/window_title.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>

namespace {

// The pieces in the order of the 3-D window's buttons, with their save codes.
const std::pair<const char*, int> kPieces[] = {{"Couple Entier", 5},
                                               {"1/2 couple Gauche", 3},
                                               {"1/2 couple Droit", 4},
                                               {"1/2 couple Haut", 2},
                                               {"1/2 couple Bas", 1}};

} // namespace

PieceSizeDialog::PieceSizeDialog(const QString& title, std::function<QSizeF(int)> realSize,
                                 QWidget* parent, bool pageChoice, bool dxfChoice)
    : QDialog(parent), realSize_(std::move(realSize)) {
    setWindowTitle(title);
    pieceBox = new QComboBox(this);
    for (const auto& [name, code] : kPieces) {
        pieceBox->addItem(QString::fromUtf8(name), code);
    }
    const DecimalRule size{0.01, 10000.0, false};
    widthBox = new NumberBox(QStringLiteral("Largeur"), size, 2, this);
    heightBox = new NumberBox(QStringLiteral("Hauteur"), size, 2, this);
    keepProportions = new QCheckBox(QStringLiteral("Garder les proportions"), this);
    keepProportions->setChecked(true);
    pageBox = paperChoice(this);
    dxfBox = dxfVersionChoice(this);
    message = refusalLine(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Pièce :"), pieceBox);
    form->addRow(QStringLiteral("Largeur :"), withUnit(this, {widthBox}, QStringLiteral("mm")));
    form->addRow(QStringLiteral("Hauteur :"), withUnit(this, {heightBox}, QStringLiteral("mm")));
    form->addRow(keepProportions);
    form->addRow(QStringLiteral("Page :"), pageBox);
    form->setRowVisible(pageBox, pageChoice);
    form->addRow(QStringLiteral("Version DXF :"), dxfBox);
    form->setRowVisible(dxfBox, dxfChoice);
    form->addRow(message);
    form->addRow(buttons);

    connect(pieceBox, &QComboBox::currentIndexChanged, this, [this] { showRealSize(); });
    connect(widthBox, &NumberBox::valueTyped, this, [this] { sizeTyped(true); });
    connect(heightBox, &NumberBox::valueTyped, this, [this] { sizeTyped(false); });
    connect(widthBox, &NumberBox::refused, this, &PieceSizeDialog::boxRefused);
    connect(heightBox, &NumberBox::refused, this, &PieceSizeDialog::boxRefused);
    connect(keepProportions, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            follow();
    });
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
    widthBox->setValue(shown_.width());
    heightBox->setValue(shown_.height());
    widthTyped_ = heightTyped_ = false;
    message->hide();
}

void PieceSizeDialog::sizeTyped(bool width) {
    (width ? widthTyped_ : heightTyped_) = true;
    widthLast_ = width;
    if (!widthBox->isMarked() && !heightBox->isMarked())
        message->hide();
    if (keepProportions->isChecked())
        follow();
}

void PieceSizeDialog::follow() {
    if (!(widthTyped_ || heightTyped_) || !(shown_.width() > 0) || !(shown_.height() > 0))
        return;
    // The other side follows the one typed last with the piece's own proportions; only that
    // one counts, so the other's rounding to two decimals never bends them.
    if (widthLast_) {
        heightBox->setValue(widthBox->value() * shown_.height() / shown_.width());
        heightTyped_ = false;
    } else {
        widthBox->setValue(heightBox->value() * shown_.width() / shown_.height());
        widthTyped_ = false;
    }
}

void PieceSizeDialog::boxRefused(const QString& text) {
    message->setText(text);
    message->show();
    emit refused(text);
}

void PieceSizeDialog::accept() {
    const bool widthOk = widthBox->confirm();
    if (heightBox->confirm() && widthOk)
        QDialog::accept();
}

PieceSizeChoice PieceSizeDialog::choice() const {
    PieceSizeChoice c;
    c.Piece = pieceBox->currentData().toInt();
    c.page = static_cast<Sheet>(pageBox->currentData().toInt());
    c.dxf = static_cast<DxfVersion>(dxfBox->currentData().toInt());
    if (widthTyped_)
        c.width = widthBox->value();
    if (heightTyped_)
        c.height = heightBox->value();
    // Without proportions the side not typed is what its box says.
    if (!keepProportions->isChecked() && (c.width || c.height)) {
        c.width = c.width ? c.width : widthBox->shownValue();
        c.height = c.height ? c.height : heightBox->shownValue();
    }
    return c;
}

void PieceSizeDialog::setChoice(const PieceSizeChoice& c) {
    if (const int i = pieceBox->findData(c.Piece); i >= 0) {
        const QSignalBlocker quiet(pieceBox);
        pieceBox->setCurrentIndex(i);
    }
    showRealSize();
    if (const int i = pageBox->findData(static_cast<int>(c.page)); i >= 0)
        pageBox->setCurrentIndex(i);
    if (const int i = dxfBox->findData(static_cast<int>(c.dxf)); i >= 0)
        dxfBox->setCurrentIndex(i);
    keepProportions->setChecked(!(c.width && c.height));
    if (c.height) {
        heightBox->setTypedValue(*c.height);
        sizeTyped(false);
    }
    if (c.width) {
        widthBox->setTypedValue(*c.width);
        sizeTyped(true);
    }
}
