#include "editor/notches_dialog.h"

#include "editor/number_box.h"
#include "session/editor_session.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr DecimalRule kPlaceRule{0.0, 1.0, false};
constexpr DecimalRule kSizeRule{kMinNotchSize, kMaxNotchSize, false};
constexpr DecimalRule kHeightRule{-kMaxCrutchHeight, kMaxCrutchHeight, true};

enum StringerColumn { kName, kPlace, kWidth, kDepth, kBothSides };
enum SlotColumn { kSlotName, kSlotHeight, kSlotWidth, kSlotDepth };

constexpr SlotKind kSlotKinds[] = {SlotKind::Keel, SlotKind::Spine, SlotKind::Crutch};

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QString number(double v) {
    return fromUtf8(frenchNumber(v));
}

QTableWidget* table(QWidget* parent, const QStringList& headers, const QString& tip) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setHorizontalHeaderLabels(headers);
    t->verticalHeader()->hide();
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                       QAbstractItemView::AnyKeyPressed);
    t->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    t->horizontalHeader()->setStretchLastSection(true);
    t->setToolTip(tip);
    return t;
}

QTableWidgetItem* cell(const QString& text, bool editable) {
    auto* item = new QTableWidgetItem(text);
    if (!editable)
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

template <class W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

} // namespace

NotchesDialog::NotchesDialog(EditorSession& session, QWidget* parent)
    : QDialog(parent), session_(session) {
    setObjectName(QStringLiteral("Lisses"));
    setWindowTitle(QStringLiteral("Lisses et encoches"));
    auto* column = new QVBoxLayout(this);

    // ---- "Lisses" ----
    auto* stringers = new QGroupBox(QStringLiteral("Lisses"), this);
    auto* sl = new QVBoxLayout(stringers);
    stringerTable =
        named(table(stringers,
                    {QStringLiteral("Nom"), QStringLiteral("Place"), QStringLiteral("Largeur (mm)"),
                     QStringLiteral("Profondeur (mm)"), QStringLiteral("Des deux côtés")},
                    QStringLiteral("La place va de 0 (point haut) à 1 (point bas), le "
                                   "long du demi-contour ; les cellules se tapent en "
                                   "place")),
              "stringerTable");
    sl->addWidget(stringerTable);
    auto* row = new QGridLayout;
    newName = named(new QLineEdit(stringers), "newName");
    newName->setToolTip(QStringLiteral("Nom de la nouvelle lisse"));
    newPlace = named(new NumberBox(QStringLiteral("Place"), kPlaceRule, 3, stringers), "newPlace");
    newWidth = named(new NumberBox(QStringLiteral("Largeur"), kSizeRule, 2, stringers), "newWidth");
    newDepth =
        named(new NumberBox(QStringLiteral("Profondeur"), kSizeRule, 2, stringers), "newDepth");
    newBothSides =
        named(new QCheckBox(QStringLiteral("Des deux côtés"), stringers), "newBothSides");
    cmdAjouter = named(new QPushButton(QStringLiteral("Ajouter"), stringers), "cmdAjouter");
    cmdAjouter->setToolTip(QStringLiteral("Ajoute la lisse tapée à chaque couple du fuselage"));
    cmdSupprimerLisse =
        named(new QPushButton(QStringLiteral("Supprimer"), stringers), "cmdSupprimerLisse");
    cmdSupprimerLisse->setToolTip(QStringLiteral("Retire la lisse choisie de chaque couple"));
    const std::pair<const char*, QWidget*> stringerForm[] = {
        {"Nom", newName}, {"Place", newPlace}, {"Largeur", newWidth}, {"Profondeur", newDepth}};
    int at = 0;
    for (const auto& [caption, box] : stringerForm) {
        row->addWidget(new QLabel(QString::fromUtf8(caption), stringers), 0, at);
        row->addWidget(box, 1, at++);
    }
    row->addWidget(newBothSides, 1, at++);
    row->addWidget(cmdAjouter, 1, at++);
    row->addWidget(cmdSupprimerLisse, 1, at);
    sl->addLayout(row);
    column->addWidget(stringers);

    // ---- "Fentes" ----
    auto* slotBox = new QGroupBox(QStringLiteral("Fentes"), this);
    auto* fl = new QVBoxLayout(slotBox);
    slotTable = named(table(slotBox,
                            {QStringLiteral("Fente"), QStringLiteral("Hauteur (mm)"),
                             QStringLiteral("Largeur (mm)"), QStringLiteral("Profondeur (mm)")},
                            QStringLiteral("Quille au point bas, dorsale au point haut, bâti des "
                                           "deux côtés à la hauteur tapée")),
                      "slotTable");
    fl->addWidget(slotTable);
    auto* slotGrid = new QGridLayout;
    newSlotKind = named(new QComboBox(slotBox), "newSlotKind");
    for (const SlotKind k : kSlotKinds)
        newSlotKind->addItem(fromUtf8(slotName(k)), static_cast<int>(k));
    newSlotHeight =
        named(new NumberBox(QStringLiteral("Hauteur"), kHeightRule, 2, slotBox), "newSlotHeight");
    newSlotHeight->setToolTip(QStringLiteral("Hauteur du bâti au-dessus de l'axe, en mm réels"));
    newSlotWidth =
        named(new NumberBox(QStringLiteral("Largeur"), kSizeRule, 2, slotBox), "newSlotWidth");
    newSlotDepth =
        named(new NumberBox(QStringLiteral("Profondeur"), kSizeRule, 2, slotBox), "newSlotDepth");
    cmdPoser = named(new QPushButton(QStringLiteral("Poser"), slotBox), "cmdPoser");
    cmdPoser->setToolTip(QStringLiteral("Pose la fente tapée, ou la modifie"));
    cmdRetirer = named(new QPushButton(QStringLiteral("Retirer"), slotBox), "cmdRetirer");
    cmdRetirer->setToolTip(QStringLiteral("Retire la fente choisie"));
    const std::pair<const char*, QWidget*> slotForm[] = {{"Fente", newSlotKind},
                                                         {"Hauteur", newSlotHeight},
                                                         {"Largeur", newSlotWidth},
                                                         {"Profondeur", newSlotDepth}};
    at = 0;
    for (const auto& [caption, box] : slotForm) {
        slotGrid->addWidget(new QLabel(QString::fromUtf8(caption), slotBox), 0, at);
        slotGrid->addWidget(box, 1, at++);
    }
    slotGrid->addWidget(cmdPoser, 1, at++);
    slotGrid->addWidget(cmdRetirer, 1, at);
    fl->addLayout(slotGrid);
    column->addWidget(slotBox);

    // ---- what was left out ----
    column->addWidget(new QLabel(QStringLiteral("Encoches laissées de côté :"), this));
    lstRefusals = named(new QListWidget(this), "lstRefusals");
    lstRefusals->setMaximumHeight(lstRefusals->fontMetrics().height() * 6);
    column->addWidget(lstRefusals);
    message = new QLabel(this);
    message->setStyleSheet(QStringLiteral("color: rgb(208, 0, 0);"));
    message->setWordWrap(true);
    message->hide();
    column->addWidget(message);

    // Enter confirms the box typed in, and adds or puts nothing by itself.
    for (QPushButton* b : {cmdAjouter, cmdSupprimerLisse, cmdPoser, cmdRetirer})
        b->setAutoDefault(false);
    connect(stringerTable, &QTableWidget::itemChanged, this, &NotchesDialog::stringerTyped);
    connect(slotTable, &QTableWidget::itemChanged, this, &NotchesDialog::slotTyped);
    connect(cmdAjouter, &QPushButton::clicked, this, [this] { addStringer(); });
    connect(cmdSupprimerLisse, &QPushButton::clicked, this, [this] { deleteStringer(); });
    connect(cmdPoser, &QPushButton::clicked, this, [this] { putSlot(); });
    connect(cmdRetirer, &QPushButton::clicked, this, [this] { deleteSlot(); });
    for (NumberBox* box : {newPlace, newWidth, newDepth, newSlotHeight, newSlotWidth, newSlotDepth})
        connect(box, &NumberBox::refused, this, &NotchesDialog::tell);
    connect(newSlotKind, &QComboBox::currentIndexChanged, this, &NotchesDialog::showSlotOffered);
    showTables();
    showRefusals();
    stale_ = false;
}

void NotchesDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (stale_) {
        showTables();
        showRefusals();
        stale_ = false;
    }
}

void NotchesDialog::showSession(Changed changed) {
    if (!isVisible()) {
        stale_ = true;
        return;
    }
    if (changed & (Changed::Notches | Changed::Former | Changed::List))
        showTables();
    showRefusals();
}

int NotchesDialog::stringerRow(const QString& name) const {
    for (int r = 0; r < stringerTable->rowCount(); ++r)
        if (stringerTable->item(r, kName)->text() == name)
            return r;
    return -1;
}

int NotchesDialog::slotRow(const QString& name) const {
    for (int r = 0; r < slotTable->rowCount(); ++r)
        if (slotTable->item(r, kSlotName)->text() == name)
            return r;
    return -1;
}

void NotchesDialog::showTables() {
    const NotchTable& t = session_.notchTable();
    {
        const QSignalBlocker quiet(stringerTable);
        const int current = stringerTable->currentRow();
        stringerTable->setRowCount(static_cast<int>(t.stringers.size()));
        for (int r = 0; r < stringerTable->rowCount(); ++r) {
            const Stringer& s = t.stringers[static_cast<std::size_t>(r)];
            stringerTable->setItem(r, kName, cell(fromUtf8(s.name), true));
            stringerTable->setItem(r, kPlace, cell(number(s.place), true));
            stringerTable->setItem(r, kWidth, cell(number(s.width), true));
            stringerTable->setItem(r, kDepth, cell(number(s.depth), true));
            auto* both = cell({}, false);
            both->setFlags(both->flags() | Qt::ItemIsUserCheckable);
            both->setCheckState(s.bothSides ? Qt::Checked : Qt::Unchecked);
            stringerTable->setItem(r, kBothSides, both);
        }
        if (current < stringerTable->rowCount())
            stringerTable->setCurrentCell(current, kName);
    }
    {
        const QSignalBlocker quiet(slotTable);
        const int current = slotTable->currentRow();
        slotTable->setRowCount(static_cast<int>(t.slotList.size()));
        for (int r = 0; r < slotTable->rowCount(); ++r) {
            const Slot& s = t.slotList[static_cast<std::size_t>(r)];
            const bool crutch = s.kind == SlotKind::Crutch;
            slotTable->setItem(r, kSlotName, cell(fromUtf8(slotName(s.kind)), false));
            slotTable->setItem(r, kSlotHeight,
                               cell(crutch ? number(s.height) : QStringLiteral("—"), crutch));
            slotTable->setItem(r, kSlotWidth, cell(number(s.width), true));
            slotTable->setItem(r, kSlotDepth, cell(number(s.depth), true));
        }
        if (current < slotTable->rowCount())
            slotTable->setCurrentCell(current, kSlotName);
    }
    // The row offered next, and the slot of the kind chosen.
    const Stringer next = session_.nextStringer();
    newName->setText(fromUtf8(next.name));
    newPlace->setValue(next.place);
    newWidth->setValue(next.width);
    newDepth->setValue(next.depth);
    newBothSides->setChecked(next.bothSides);
    showSlotOffered();
}

void NotchesDialog::showSlotOffered() {
    // The kind chosen shows the slot there is, or the one offered.
    const auto kind = static_cast<SlotKind>(newSlotKind->currentData().toInt());
    Slot s{kind, 3.0, 3.0, 0.0};
    for (const Slot& o : session_.notchTable().slotList)
        if (o.kind == kind)
            s = o;
    newSlotHeight->setEnabled(kind == SlotKind::Crutch);
    newSlotHeight->setValue(s.height);
    newSlotWidth->setValue(s.width);
    newSlotDepth->setValue(s.depth);
}

void NotchesDialog::showRefusals() {
    const std::vector<NotchRefusal> refused = session_.notchRefusals();
    lstRefusals->clear();
    for (const NotchRefusal& r : refused)
        lstRefusals->addItem(fromUtf8(r.text));
    // The rows left out somewhere say so in red, and where in their tooltip.
    const auto mark = [&refused](QTableWidgetItem* item, const std::string& name, bool slot) {
        QStringList where;
        for (const NotchRefusal& r : refused)
            if (r.name == name && r.slot.has_value() == slot)
                where << fromUtf8(r.text);
        item->setForeground(where.isEmpty() ? QBrush() : QBrush(QColor(208, 0, 0)));
        item->setToolTip(where.join('\n'));
    };
    const NotchTable& t = session_.notchTable();
    const QSignalBlocker quiet(stringerTable);
    for (int r = 0; r < stringerTable->rowCount() && r < static_cast<int>(t.stringers.size()); ++r)
        mark(stringerTable->item(r, kName), t.stringers[static_cast<std::size_t>(r)].name, false);
    const QSignalBlocker quietSlots(slotTable);
    for (int r = 0; r < slotTable->rowCount() && r < static_cast<int>(t.slotList.size()); ++r)
        mark(slotTable->item(r, kSlotName),
             std::string(slotName(t.slotList[static_cast<std::size_t>(r)].kind)), true);
}

void NotchesDialog::tell(const QString& why) {
    message->setText(why);
    message->show();
    if (refused)
        refused(why);
}

bool NotchesDialog::apply(const std::function<bool(std::string& why, Changed& changed)>& edit) {
    std::string why;
    Changed changed = Changed::None;
    if (!edit(why, changed)) {
        tell(QString::fromStdString(why));
        showTables();
        return false;
    }
    message->hide();
    if (changed == Changed::None)
        showTables(); // the same row typed again: shown as the table holds it
    else if (edited)
        edited(changed);
    return true;
}

void NotchesDialog::stringerTyped(QTableWidgetItem* item) {
    const int r = item->row();
    const NotchTable& t = session_.notchTable();
    if (r < 0 || r >= static_cast<int>(t.stringers.size()))
        return;
    Stringer s = t.stringers[static_cast<std::size_t>(r)];
    const auto typed = [&](const char* what, const DecimalRule& rule, double& value) {
        const DecimalReading reading = readDecimal(item->text().toStdString(), rule);
        if (reading.ok()) {
            value = *reading.value;
            return true;
        }
        tell(QStringLiteral("Lisse « %1 », %2 : %3")
                 .arg(fromUtf8(s.name), QString::fromUtf8(what), fromUtf8(reading.reason)));
        showTables();
        return false;
    };
    switch (item->column()) {
    case kName:
        s.name = item->text().trimmed().toStdString();
        break;
    case kPlace:
        if (!typed("place", kPlaceRule, s.place))
            return;
        break;
    case kWidth:
        if (!typed("largeur", kSizeRule, s.width))
            return;
        break;
    case kDepth:
        if (!typed("profondeur", kSizeRule, s.depth))
            return;
        break;
    case kBothSides:
        s.bothSides = item->checkState() == Qt::Checked;
        break;
    default:
        return;
    }
    apply([&](std::string& why, Changed& c) { return session_.changeStringer(r, s, why, c); });
}

void NotchesDialog::slotTyped(QTableWidgetItem* item) {
    const int r = item->row();
    const NotchTable& t = session_.notchTable();
    if (r < 0 || r >= static_cast<int>(t.slotList.size()))
        return;
    Slot s = t.slotList[static_cast<std::size_t>(r)];
    const DecimalRule& rule = item->column() == kSlotHeight ? kHeightRule : kSizeRule;
    const DecimalReading reading = readDecimal(item->text().toStdString(), rule);
    if (!reading.ok()) {
        tell(QStringLiteral("%1 : %2").arg(fromUtf8(slotName(s.kind)), fromUtf8(reading.reason)));
        showTables();
        return;
    }
    switch (item->column()) {
    case kSlotHeight:
        s.height = *reading.value;
        break;
    case kSlotWidth:
        s.width = *reading.value;
        break;
    case kSlotDepth:
        s.depth = *reading.value;
        break;
    default:
        return;
    }
    apply([&](std::string& why, Changed& c) { return session_.setSlot(s, why, c); });
}

bool NotchesDialog::addStringer() {
    bool ok = true;
    for (NumberBox* box : {newPlace, newWidth, newDepth})
        ok = box->confirm() && ok;
    if (!ok)
        return false;
    const Stringer s{newName->text().trimmed().toStdString(), newPlace->value(), newWidth->value(),
                     newDepth->value(), newBothSides->isChecked()};
    return apply([&](std::string& why, Changed& c) { return session_.addStringer(s, why, c); });
}

bool NotchesDialog::deleteStringer() {
    const int r = stringerTable->currentRow();
    if (r < 0) {
        tell(QStringLiteral("Choisissez d'abord la lisse à supprimer."));
        return false;
    }
    return apply([&](std::string& why, Changed& c) { return session_.deleteStringer(r, why, c); });
}

bool NotchesDialog::putSlot() {
    bool ok = true;
    for (NumberBox* box : {newSlotHeight, newSlotWidth, newSlotDepth})
        ok = (!box->isEnabled() || box->confirm()) && ok;
    if (!ok)
        return false;
    const Slot s{static_cast<SlotKind>(newSlotKind->currentData().toInt()), newSlotWidth->value(),
                 newSlotDepth->value(), newSlotHeight->value()};
    return apply([&](std::string& why, Changed& c) { return session_.setSlot(s, why, c); });
}

bool NotchesDialog::deleteSlot() {
    const int r = slotTable->currentRow();
    const NotchTable& t = session_.notchTable();
    if (r < 0 || r >= static_cast<int>(t.slotList.size())) {
        tell(QStringLiteral("Choisissez d'abord la fente à retirer."));
        return false;
    }
    const SlotKind kind = t.slotList[static_cast<std::size_t>(r)].kind;
    return apply([&](std::string& why, Changed& c) { return session_.deleteSlot(kind, why, c); });
}
