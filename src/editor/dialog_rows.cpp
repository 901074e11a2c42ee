#include "editor/dialog_rows.h"

#include "export/page_tiling.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

QWidget* withUnit(QWidget* parent, std::initializer_list<QWidget*> items, const QString& unit) {
    auto* row = new QWidget(parent);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : items)
        h->addWidget(w);
    h->addWidget(new QLabel(unit, row));
    return row;
}

QComboBox* paperChoice(QWidget* parent) {
    auto* box = new QComboBox(parent);
    for (const Sheet s :
         {Sheet::A4Portrait, Sheet::A4Landscape, Sheet::A3Portrait, Sheet::A3Landscape}) {
        const std::string_view name = sheetName(s);
        box->addItem(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                     static_cast<int>(s));
    }
    return box;
}

QComboBox* dxfVersionChoice(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItem(QStringLiteral("AutoCAD 2000"), static_cast<int>(DxfVersion::AutoCad2000));
    box->addItem(QStringLiteral("R12 (AC1009)"), static_cast<int>(DxfVersion::R12));
    box->setToolTip(QStringLiteral("R12 pour les programmes de découpe qui ne lisent rien de plus "
                                   "récent"));
    return box;
}

QLabel* refusalLine(QWidget* parent) {
    auto* line = new QLabel(parent);
    line->setStyleSheet(QStringLiteral("color: rgb(208, 0, 0);"));
    line->setWordWrap(true);
    line->hide();
    return line;
}
