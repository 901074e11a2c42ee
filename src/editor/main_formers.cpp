// The formers of the fuselage: the panel "Couples" lists them with their stations, the row
// selected is the former both windows show and edit, and its buttons add, copy, rename and
// remove formers, each one undo step. "Exporter tous les couples..." lays every former out on
// the sheets they are cut from.
#include "editor/main.h"

#include "editor/piece_page.h"
#include "editor/user_dialogs.h"
#include "files/safe_file_writer.h"
#include "session/work_model.h"
#include "view3d/frm3d.h"

#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTableWidget>

namespace {

const QString kFormersTitle = QStringLiteral("Couples");
const QString kExportAllTitle = QStringLiteral("Exporter tous les couples");
constexpr int kStationColumn = 1;

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
    for (int row = 0; row < list->rowCount(); ++row) {
        const Former& f = *formers[static_cast<std::size_t>(row)];
        auto* name = new QTableWidgetItem(fromUtf8(f.name));
        name->setFlags(name->flags() & ~Qt::ItemIsEditable); // "Renommer" renames
        list->setItem(row, 0, name);
        auto* station = new QTableWidgetItem(fromUtf8(frenchNumber(f.station)));
        station->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        station->setToolTip(QStringLiteral("Station du couple le long du fuselage, en mm"));
        list->setItem(row, kStationColumn, station);
    }
    list->setCurrentCell(session_.current(), 0);
    ui_.cmdSupprimer->setEnabled(formers.size() > 1);
}

void Main::formersChanged() {
    showFormerList();
    refreshFuselage();
}

bool Main::changeFormers(const std::function<bool(std::string& why)>& operation) {
    if (calibrating())
        endCalibration();
    const EditorState now = editorState();
    const Work before = session_.currentWork();
    std::string why;
    if (!operation(why)) {
        if (!why.empty())
            showStatus(fromUtf8(why));
        showFormerList(); // a station typed and refused shows its value again
        return false;
    }
    // The part shown next is another former's, or the same in another list: the fuselage's
    // current band must not take it for its own (a band of another size may not fit its pools).
    if (frm3D_)
        frm3D_->forgetFuselage();
    const Work after = session_.currentWork();
    if (after != before)
        showEditorState({now.surface, after, EditorSession::viewAfter(now.view, before, after)});
    formersChanged();
    updateProjectCaption();
    return true;
}

void Main::cmdNouveau_Click() {
    changeFormers([this](std::string& why) { return session_.addFormer(why); });
}

void Main::cmdDupliquer_Click() {
    changeFormers(
        [this](std::string& why) { return session_.duplicateFormer(session_.current(), why); });
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
    changeFormers([&](std::string& why) {
        const bool done = session_.renameFormer(i, typed->trimmed().toStdString(), why);
        refusal = why;
        return done;
    });
    if (!refusal.empty())
        dialogs_.warn(kFormersTitle, fromUtf8(refusal));
}

void Main::cmdSupprimer_Click() {
    changeFormers(
        [this](std::string& why) { return session_.deleteFormer(session_.current(), why); });
}

void Main::lstCouples_Click(int row) {
    if (row < 0 || row == session_.current())
        return;
    changeFormers([this, row](std::string&) { return session_.selectFormer(row); });
}

void Main::lstCouples_StationTyped(int row, const QString& text) {
    const DecimalRule rule{-kMaxStation, kMaxStation, true};
    const DecimalReading r = readDecimal(text.toStdString(), rule);
    changeFormers([&](std::string& why) {
        if (!r.ok()) {
            why = "Station : " + r.reason;
            return false;
        }
        return session_.setStation(row, *r.value, why);
    });
}

// ---------------------------------------------------------------------------------------
// Every former on its sheets

void Main::IM_Export_All_Click() {
    exportAllFormers();
}

bool Main::exportAllFormers() {
    const ProjectState project = session_.projectState();
    QStringList names;
    for (const Former& f : project.formers)
        names << fromUtf8(f.name);
    // The ticks are the formers', by name: the list may have changed since.
    const std::optional<ExportAllChoice> choice =
        dialogs_.askExportAll(kExportAllTitle, names, exportAllChoice_);
    if (!choice)
        return true;
    exportAllChoice_ = *choice;

    // 1. Every former ticked at its real size, whole or as its two halves.
    std::vector<LayoutPart> parts;
    FormerModel sampled = session_.model();
    for (std::size_t i = 0; i < project.formers.size(); ++i) {
        if (i < choice->ticked.size() && !choice->ticked[i])
            continue;
        const Former& f = project.formers[i];
        const bool edited = static_cast<int>(i) == project.current;
        if (!edited && !SampleFormer(f.work, sampled))
            continue;
        const FormerModel& m = edited ? session_.model() : sampled;
        if (!choice->halves) {
            parts.push_back({f.name, formerPiece(m, f.work, 5), f.name, -1});
            continue;
        }
        // Halves across the horizontal joint, otherwise left and right.
        const bool topBottom = f.work.joint == AssemblyJoint::Horizontal;
        const std::pair<int, const char*> halves[2] = {
            topBottom ? std::pair{2, " haut"} : std::pair{3, " gauche"},
            topBottom ? std::pair{1, " bas"} : std::pair{4, " droit"}};
        for (const auto& [code, side] : halves)
            parts.push_back(
                {f.name + side, formerPiece(m, f.work, code), f.name, static_cast<int>(i)});
    }
    const SheetLayout layout = layOutParts(std::move(parts), choice->sheet);
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
        files.push_back(sheetsDxf(layout));
        break;
    case SheetsFormat::Svg:
        files = sheetsSvg(layout);
        pattern = "*.svg";
        description = "Fichier SVG";
        break;
    case SheetsFormat::Pdf: {
        QByteArray pdf;
        if (const QString refusal = sheetsPdf(layout, kExportAllTitle, pdf, choice->paper);
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
    View& view = session_.view();
    File_Dialog(QString::fromLatin1(pattern), QString::fromLatin1(description), 1,
                QFile::decodeName(QByteArray::fromStdString(view.exportFolder)));
    if (Chosen_File_.isEmpty())
        return true;

    // 3. Every file written aside, then all put in place at once: a failure leaves every older
    // file as it was. The sheets as SVG are NAME-1.SVG, NAME-2.SVG..., however many they are.
    const QFileInfo chosen(Chosen_File_);
    const bool numbered = choice->format == SheetsFormat::Svg;
    std::vector<std::pair<std::string, std::string>> named;
    QStringList written;
    for (std::size_t k = 0; k < files.size(); ++k) {
        QString path = Chosen_File_;
        if (numbered)
            path = chosen.dir().filePath(
                QStringLiteral("%1-%2").arg(chosen.completeBaseName()).arg(k + 1) +
                (chosen.suffix().isEmpty() ? QString() : "." + chosen.suffix()));
        named.emplace_back(QFile::encodeName(path).toStdString(), std::move(files[k]));
        written << QFileInfo(path).fileName();
    }
    if (const std::string error = writeFilesSafely(named); !error.empty()) {
        dialogs_.warn(kExportAllTitle, fromUtf8(error));
        return false;
    }
    view.exportFolder = QFile::encodeName(chosen.absolutePath()).toStdString();
    showStatus(fromUtf8(layoutSummary(layout)) + QStringLiteral(" → ") +
               (written.size() > 2 ? written.front() + QStringLiteral(" … ") + written.back()
                                   : written.join(QStringLiteral(", "))));
    return true;
}
