// The formers of the fuselage: the panel "Couples" lists them with their stations, the row
// selected is the former both windows show and edit, and its buttons add, copy, rename and
// remove formers, each one undo step. "Exporter tous les couples..." lays every former out on
// the sheets they are cut from.
#include "editor/main.h"

#include "editor/status_line.h"
#include "editor/user_dialogs.h"
#include "files/safe_file_writer.h"
#include "print/piece_page.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>

#include <cmath>

namespace {

const QString kFormersTitle = QStringLiteral("Couples");
const QString kExportAllTitle = QStringLiteral("Exporter tous les couples");
constexpr int kStationColumn = 1;
constexpr int kFollowsColumn = 2;    // "Suit"
constexpr int kDifferenceColumn = 3; // the fairness check

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

void Main::connectFormerPanel() {
    QTableWidget* list = ui_.lstCouples;
    connect(list, &QTableWidget::currentCellChanged, this,
            [this](int row) { lstCouples_Click(row); });
    connect(list, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() == kStationColumn)
            lstCouples_StationTyped(item->row(), item->text());
        else if (item->column() == kFollowsColumn)
            lstCouples_FollowClicked(item->row(), item->checkState() == Qt::Checked);
    });
    const std::pair<QPushButton * MainControls::*, void (Main::*)()> buttons[] = {
        {&MainControls::cmdNouveau, &Main::cmdNouveau_Click},
        {&MainControls::cmdDupliquer, &Main::cmdDupliquer_Click},
        {&MainControls::cmdRenommer, &Main::cmdRenommer_Click},
        {&MainControls::cmdSupprimer, &Main::cmdSupprimer_Click},
    };
    for (const auto& [button, handler] : buttons)
        connect(ui_.*button, &QPushButton::clicked, this, [this, h = handler] { (this->*h)(); });
    showFormerList();
    // Beside the editor, on its right, within the screen.
    QDockWidget* panel = ui_.Couples;
    QPoint at(frameGeometry().right() + 8, y());
    if (const QScreen* s = screen()) {
        const QRect room = s->availableGeometry();
        at.setX(std::min(at.x(), room.right() - panel->width()));
        at.setY(
            std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - panel->height())));
    }
    panel->move(at);
}

void Main::showFormerList() {
    QTableWidget* list = ui_.lstCouples;
    const QSignalBlocker quiet(list);
    const auto& formers = session_.formers();
    list->setRowCount(static_cast<int>(formers.size()));
    // The items stay and take their new texts: an item set again, even to the same text, has
    // the columns measure every row again, the most of what a switch of former would cost.
    for (int row = 0; row < list->rowCount(); ++row) {
        const Former& f = *formers[static_cast<std::size_t>(row)];
        QTableWidgetItem* name = list->item(row, 0);
        if (!name) {
            name = new QTableWidgetItem;
            name->setFlags(name->flags() & ~Qt::ItemIsEditable); // "Renommer" renames
            list->setItem(row, 0, name);
        }
        name->setText(fromUtf8(f.name));
        QTableWidgetItem* station = list->item(row, kStationColumn);
        if (!station) {
            station = new QTableWidgetItem;
            station->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            station->setToolTip(QStringLiteral("Station du couple le long du fuselage, en mm"));
            list->setItem(row, kStationColumn, station);
        }
        station->setText(fromUtf8(frenchNumber(f.station)));
    }
    showFollowColumns();
    list->setCurrentCell(session_.current(), 0);
    ui_.cmdSupprimer->setEnabled(formers.size() > 1);
}

void Main::showFollowColumns() {
    QTableWidget* list = ui_.lstCouples;
    const QSignalBlocker quiet(list);
    const auto& formers = session_.formers();
    for (int row = 0; row < list->rowCount() && row < static_cast<int>(formers.size()); ++row) {
        const Former& f = *formers[static_cast<std::size_t>(row)];
        QTableWidgetItem* follows = list->item(row, kFollowsColumn);
        if (!follows) {
            follows = new QTableWidgetItem;
            follows->setFlags((follows->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
            list->setItem(row, kFollowsColumn, follows);
        }
        follows->setCheckState(f.follows ? Qt::Checked : Qt::Unchecked);
        const std::string why = session_.followRefusal(row);
        follows->setToolTip(
            why.empty()
                ? (f.follows ? QStringLiteral("Le couple suit le fuselage")
                             : QStringLiteral("Cochez pour que le couple suive le fuselage"))
                : fromUtf8(why));
        // The largest departure beyond the tolerance, signed; the others in its tooltip.
        const Departures d = session_.departures(row);
        QString text, tip;
        double largest = 0.0;
        for (CurveKind kind : kCurveKinds) {
            const std::optional<double> v = d.of(kind);
            if (!v || std::abs(*v) <= kFairnessTolerance)
                continue;
            const QString mm = (*v > 0.0 ? QStringLiteral("+") : QString()) +
                               QLocale(QLocale::French).toString(*v, 'f', 1);
            tip += (tip.isEmpty() ? QString() : QStringLiteral(" ; ")) +
                   fromUtf8(std::string(CurveName(kind))) + QStringLiteral(" ") + mm +
                   QStringLiteral(" mm");
            if (std::abs(*v) > std::abs(largest)) {
                largest = *v;
                text = mm;
            }
        }
        QTableWidgetItem* difference = list->item(row, kDifferenceColumn);
        if (!difference) {
            difference = new QTableWidgetItem;
            difference->setFlags(difference->flags() & ~Qt::ItemIsEditable);
            difference->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            difference->setForeground(Qt::red);
            list->setItem(row, kDifferenceColumn, difference);
        }
        difference->setText(text);
        difference->setToolTip(tip.isEmpty()
                                   ? QStringLiteral("Le couple suit les courbes du fuselage")
                                   : QStringLiteral("Écart aux courbes : ") + tip);
    }
}

bool Main::changeFormers(const std::function<bool(std::string& why, Changed& changed)>& operation) {
    if (calibrating())
        endCalibration();
    std::string why;
    Changed changed = Changed::None;
    if (!operation(why, changed)) {
        if (!why.empty())
            statusLine_->refuse(fromUtf8(why));
        showFormerList(); // a station typed and refused shows its value again
        return false;
    }
    // The part shown next is another former's, or the same in another list: the fuselage's
    // current band must not take it for its own (a band of another size may not fit its pools).
    if (frm3D_)
        frm3D_->forgetFuselage();
    show(changed);
    return true;
}

void Main::cmdNouveau_Click() {
    changeFormers([this](std::string& why, Changed& c) { return session_.addFormer(why, c); });
}

void Main::cmdDupliquer_Click() {
    changeFormers([this](std::string& why, Changed& c) {
        return session_.duplicateFormer(session_.current(), why, c);
    });
}

void Main::cmdRenommer_Click() {
    const int i = session_.current();
    const QString name = fromUtf8(session_.formers()[static_cast<std::size_t>(i)]->name);
    const std::optional<QString> typed =
        dialogs_.askText(QStringLiteral("Renommer le couple"),
                         QStringLiteral("Nouveau nom de « %1 » :").arg(name), name);
    if (!typed)
        return;
    std::string refusal;
    changeFormers([&](std::string& why, Changed& c) {
        const bool done = session_.renameFormer(i, typed->trimmed().toStdString(), why, c);
        refusal = why;
        return done;
    });
    if (!refusal.empty())
        dialogs_.warn(kFormersTitle, fromUtf8(refusal));
}

void Main::cmdSupprimer_Click() {
    changeFormers([this](std::string& why, Changed& c) {
        return session_.deleteFormer(session_.current(), why, c);
    });
}

void Main::lstCouples_Click(int row) {
    if (row < 0 || row == session_.current())
        return;
    changeFormers([this, row](std::string&, Changed& c) {
        c = session_.selectFormer(row);
        return true;
    });
}

void Main::lstCouples_StationTyped(int row, const QString& text) {
    const DecimalRule rule{-kMaxStation, kMaxStation, true};
    const DecimalReading r = readDecimal(text.toStdString(), rule);
    changeFormers([&](std::string& why, Changed& c) {
        if (!r.ok()) {
            why = "Station : " + r.reason;
            return false;
        }
        return session_.setStation(row, *r.value, why, c);
    });
}

// ---------------------------------------------------------------------------------------
// Every former on its sheets

void Main::IM_Export_All_Click() {
    exportAllFormers();
}

bool Main::exportAllFormers() {
    QStringList names;
    for (const auto& f : session_.formers())
        names << fromUtf8(f->name);
    // The ticks are the formers', by name: the list may have changed since. The DXF version is
    // the project's.
    exportAllChoice_.dxf = session_.view().exportDxfR12 ? DxfVersion::R12 : DxfVersion::AutoCad2000;
    const std::optional<ExportAllChoice> choice =
        dialogs_.askExportAll(kExportAllTitle, names, exportAllChoice_);
    if (!choice)
        return true;
    exportAllChoice_ = *choice;
    if (choice->format == SheetsFormat::Dxf)
        session_.setExportDxfR12(choice->dxf == DxfVersion::R12);
    std::vector<int> ticked;
    for (int i = 0; i < static_cast<int>(names.size()); ++i)
        if (static_cast<std::size_t>(i) >= choice->ticked.size() ||
            choice->ticked[static_cast<std::size_t>(i)])
            ticked.push_back(i);
    if (!exportLeavingNotchesOut(kExportAllTitle, ticked))
        return true;

    // 1. Every former ticked at its real size, whole or as its two halves, on the sheets.
    const SheetLayout layout = session_.sheetLayout(choice->ticked, choice->halves, choice->sheet);
    if (!layout.ok()) {
        dialogs_.warn(kExportAllTitle, fromUtf8(layout.error));
        return false;
    }

    // 2. The files, refused before a name is asked when they cannot be made.
    std::vector<std::string> files;
    const char* pattern = "*.dxf";
    const char* description = "Fichier DXF";
    switch (choice->format) {
    case SheetsFormat::Dxf:
        files.push_back(sheetsDxf(layout, choice->dxf));
        break;
    case SheetsFormat::Svg:
        files = sheetsSvg(layout);
        pattern = "*.svg";
        description = "Fichier SVG";
        break;
    case SheetsFormat::Pdf: {
        QByteArray pdf;
        if (const QString refusal =
                sheetsPdf(layout, kExportAllTitle, pdf, choice->paper, choice->sheetSizePages);
            !refusal.isEmpty()) {
            dialogs_.warn(kExportAllTitle, refusal);
            return false;
        }
        files.push_back(pdf.toStdString());
        pattern = "*.pdf";
        description = "Fichier PDF";
        break;
    }
    }
    File_Dialog(QString::fromLatin1(pattern), QString::fromLatin1(description), 1,
                QFile::decodeName(QByteArray::fromStdString(session_.view().exportFolder)));
    if (Chosen_File_.isEmpty())
        return true;

    // 3. Every file written aside, then all put in place at once: a failure leaves every older
    // file as it was. The sheets as SVG are NAME-1.SVG, NAME-2.SVG..., however many they are.
    const QFileInfo chosen(Chosen_File_);
    const bool numbered = choice->format == SheetsFormat::Svg;
    std::vector<std::pair<std::string, std::string>> named;
    QStringList written, paths;
    for (std::size_t k = 0; k < files.size(); ++k) {
        QString path = Chosen_File_;
        if (numbered)
            path = chosen.dir().filePath(
                QStringLiteral("%1-%2").arg(chosen.completeBaseName()).arg(k + 1) +
                (chosen.suffix().isEmpty() ? QString() : "." + chosen.suffix()));
        named.emplace_back(QFile::encodeName(path).toStdString(), std::move(files[k]));
        written << QFileInfo(path).fileName();
        paths << path;
    }
    // The files that would be replaced are the sheets', which may not be the name typed.
    if (!mayReplace(QString::fromLatin1(description), paths))
        return true;
    if (const std::string error = writeFilesSafely(named); !error.empty()) {
        dialogs_.warn(kExportAllTitle, fromUtf8(error));
        return false;
    }
    session_.setExportFolder(QFile::encodeName(chosen.absolutePath()).toStdString());
    statusLine_->pass(fromUtf8(layoutSummary(layout)) + QStringLiteral(" → ") +
                      (written.size() > 2 ? written.front() + QStringLiteral(" … ") + written.back()
                                          : written.join(QStringLiteral(", "))));
    return true;
}
