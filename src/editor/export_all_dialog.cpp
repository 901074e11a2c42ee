#include "editor/export_all_dialog.h"

#include "editor/dialog_rows.h"
#include "editor/number_box.h"
#include "editor/window_title.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>

namespace {

const std::pair<const char*, SheetsFormat> kFormats[] = {
    {"DXF (un fichier)", SheetsFormat::Dxf},
    {"SVG (un fichier par plaque)", SheetsFormat::Svg},
    {"PDF (une page par plaque)", SheetsFormat::Pdf}};

} // namespace

ExportAllDialog::ExportAllDialog(const QString& title, const QStringList& formers, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    formatBox = new QComboBox(this);
    for (const auto& [name, format] : kFormats)
        formatBox->addItem(QString::fromUtf8(name), static_cast<int>(format));
    const DecimalRule side{1.0, 100000.0, false};
    sheetWidth = new NumberBox(QStringLiteral("Largeur de la plaque"), side, 1, this);
    sheetHeight = new NumberBox(QStringLiteral("Hauteur de la plaque"), side, 1, this);
    spacing = new NumberBox(QStringLiteral("Espacement"), DecimalRule{0.0, 1000.0, false}, 1, this);
    halves = new QCheckBox(QStringLiteral("Demi-couples"), this);
    halves->setToolTip(QStringLiteral("Chaque couple en deux moitiés, côte à côte sur la plaque"));
    formerList = new QListWidget(this);
    for (const QString& name : formers) {
        auto* item = new QListWidgetItem(name, formerList);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    dxfBox = dxfVersionChoice(this);
    sheetPages = new QCheckBox(QStringLiteral("Pages à la taille de la plaque"), this);
    sheetPages->setToolTip(
        QStringLiteral("Une page par plaque, à l'échelle 1:1, pour un laser qui lit le PDF"));
    paperBox = paperChoice(this);
    message = refusalLine(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Format :"), formatBox);
    form->addRow(QStringLiteral("Plaque :"),
                 withUnit(this, {sheetWidth, new QLabel(QStringLiteral("×"), this), sheetHeight},
                          QStringLiteral("mm")));
    form->addRow(QStringLiteral("Espacement :"), withUnit(this, {spacing}, QStringLiteral("mm")));
    form->addRow(halves);
    form->addRow(QStringLiteral("Couples :"), formerList);
    form->addRow(QStringLiteral("Version DXF :"), dxfBox);
    form->addRow(sheetPages);
    form->addRow(QStringLiteral("Papier :"), paperBox);
    form->addRow(message);
    form->addRow(buttons);

    auto paperFollows = [this] {
        const auto format = static_cast<SheetsFormat>(formatBox->currentData().toInt());
        dxfBox->setEnabled(format == SheetsFormat::Dxf);
        sheetPages->setEnabled(format == SheetsFormat::Pdf);
        paperBox->setEnabled(format == SheetsFormat::Pdf && !sheetPages->isChecked());
    };
    connect(formatBox, &QComboBox::currentIndexChanged, this, paperFollows);
    connect(sheetPages, &QCheckBox::toggled, this, paperFollows);
    for (NumberBox* box : {sheetWidth, sheetHeight, spacing}) {
        connect(box, &NumberBox::refused, this, &ExportAllDialog::showRefusal);
        connect(box, &NumberBox::valueTyped, message, &QLabel::hide);
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    setChoice({});
    paperFollows();
    fitWidthToTitle(*this);
}

void ExportAllDialog::showRefusal(const QString& text) {
    message->setText(text);
    message->show();
}

void ExportAllDialog::accept() {
    bool ok = true;
    for (NumberBox* box : {sheetWidth, sheetHeight, spacing})
        ok = box->confirm() && ok;
    if (!ok)
        return;
    const ExportAllChoice c = choice();
    if (std::find(c.ticked.begin(), c.ticked.end(), true) == c.ticked.end()) {
        showRefusal(QStringLiteral("Cochez au moins un couple."));
        return;
    }
    QDialog::accept();
}

ExportAllChoice ExportAllDialog::choice() const {
    ExportAllChoice c;
    c.format = static_cast<SheetsFormat>(formatBox->currentData().toInt());
    c.sheet = {sheetWidth->value(), sheetHeight->value(), spacing->value()};
    c.halves = halves->isChecked();
    for (int i = 0; i < formerList->count(); ++i)
        c.ticked.push_back(formerList->item(i)->checkState() == Qt::Checked);
    c.paper = static_cast<Sheet>(paperBox->currentData().toInt());
    c.dxf = static_cast<DxfVersion>(dxfBox->currentData().toInt());
    c.sheetSizePages = sheetPages->isChecked();
    return c;
}

void ExportAllDialog::setChoice(const ExportAllChoice& c) {
    formatBox->setCurrentIndex(formatBox->findData(static_cast<int>(c.format)));
    sheetWidth->setValue(c.sheet.width);
    sheetHeight->setValue(c.sheet.height);
    spacing->setValue(c.sheet.spacing);
    halves->setChecked(c.halves);
    for (int i = 0; i < formerList->count(); ++i) {
        const bool on =
            static_cast<std::size_t>(i) >= c.ticked.size() || c.ticked[static_cast<std::size_t>(i)];
        formerList->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    paperBox->setCurrentIndex(paperBox->findData(static_cast<int>(c.paper)));
    dxfBox->setCurrentIndex(dxfBox->findData(static_cast<int>(c.dxf)));
    sheetPages->setChecked(c.sheetSizePages);
}
