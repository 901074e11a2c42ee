// The background picture of the editor window: choosing it, showing it behind the curve with
// its pan and zoom, switching it on and off, and opening it in a paint program.
#include "editor/main.h"

#include "editor/file_dialog.h"
#include "editor/picture_box.h"
#include "editor/user_dialogs.h"

#include "files/file_reading.h"

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>

#include <cstdlib>

namespace {

const QString kPictureTitle = QStringLiteral("Fichiers images");

// Qt's own ceiling for one decoded picture, in megabytes: a file announcing more is refused
// before anything is allocated.
constexpr int kPictureLimitMb = 256;
// The largest picture file read at all.
constexpr std::size_t kPictureFileLimitMb = 300;

QString reasonFor(QImageReader::ImageReaderError error) {
    switch (error) {
    case QImageReader::FileNotFoundError:
        return QStringLiteral("le fichier est introuvable");
    case QImageReader::DeviceError:
        return QStringLiteral("le fichier ne peut pas être lu");
    case QImageReader::UnsupportedFormatError:
        return QStringLiteral("le fichier n'est pas une image");
    case QImageReader::InvalidDataError:
        return QStringLiteral("l'image est endommagée ou incomplète");
    case QImageReader::UnknownError:
        break;
    }
    return QStringLiteral("l'image ne peut pas être lue");
}

// libjpeg completes a cut-off JPEG with grey and only warns about it: while a picture is read,
// that warning is taken as the sign that the file is incomplete.
class TruncationWatch {
public:
    TruncationWatch() : previous_(qInstallMessageHandler(handle)) { current_ = this; }
    ~TruncationWatch() {
        qInstallMessageHandler(previous_);
        current_ = nullptr;
    }
    TruncationWatch(const TruncationWatch&) = delete;
    TruncationWatch& operator=(const TruncationWatch&) = delete;
    bool seen = false;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text) {
        if (current_ && context.category && qstrcmp(context.category, "qt.gui.imageio.jpeg") == 0 &&
            text.contains(QLatin1String("premature end"), Qt::CaseInsensitive)) {
            current_->seen = true;
            return;
        }
        if (current_ && current_->previous_)
            current_->previous_(type, context, text);
    }
    static inline TruncationWatch* current_ = nullptr;
    QtMessageHandler previous_;
};

} // namespace

QString Main::readPicture(const QString& path, QImage& image) {
    const auto refused = [&path](const QString& reason) {
        return QStringLiteral("Impossible d'afficher l'image « %1 » : %2.").arg(path, reason);
    };
    // Read whole first, and only from a regular file: the checks below and the decoder work on
    // the same bytes.
    const FileContents file =
        readRegularFile(QFile::encodeName(path).toStdString(), kPictureFileLimitMb << 20);
    switch (file.problem) {
    case ReadProblem::None:
        break;
    case ReadProblem::Missing:
        return refused(QStringLiteral("le fichier est introuvable"));
    case ReadProblem::BadName:
        return refused(QStringLiteral("le nom contient un caractère nul"));
    case ReadProblem::Folder:
        return refused(QStringLiteral("c'est un dossier"));
    case ReadProblem::NotRegular:
        return refused(QStringLiteral("ce n'est pas un fichier ordinaire"));
    case ReadProblem::TooLarge:
        return refused(
            QStringLiteral("le fichier est trop grand (plus de %1 Mo)").arg(kPictureFileLimitMb));
    case ReadProblem::Unreadable:
        return refused(reasonFor(QImageReader::DeviceError));
    }
    QByteArray bytes = QByteArray::fromRawData(file.bytes.data(), qsizetype(file.bytes.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true); // a phone photo comes the right way up
    reader.setAllocationLimit(kPictureLimitMb);
    // The format comes from the content: a scan saved under the wrong extension still reads.
    // Qt's reader refuses a BMP header beyond its own bounds without saying why: the header's
    // own size tells a picture too large from a damaged one.
    const QSize announced = reader.size();
    long long width = announced.width(), height = announced.height();
    if (!announced.isValid()) {
        const auto bmp = bmpAnnouncedSize(file.bytes);
        width = bmp ? bmp->first : 0;
        height = bmp ? bmp->second : 0;
    }
    // Four bytes a pixel, as the picture is held once read.
    if (width * height * 4 > qint64(kPictureLimitMb) * 1024 * 1024)
        return refused(
            QStringLiteral("l'image est trop grande (%1 × %2 pixels)").arg(width).arg(height));
    if (!pictureComplete(file.bytes))
        return refused(reasonFor(QImageReader::InvalidDataError));
    QImage read;
    bool cut = false;
    {
        TruncationWatch watch;
        if (!reader.read(&read) || read.isNull())
            return refused(reasonFor(reader.error()));
        cut = watch.seen;
    }
    if (cut)
        return refused(reasonFor(QImageReader::InvalidDataError));
    // One format for the stretched copies that every slider move makes.
    image = read.hasAlphaChannel() || read.format() != QImage::Format_RGB32
                ? read.convertToFormat(QImage::Format_RGB32)
                : std::move(read);
    return {};
}

QString Main::PicturePath() const {
    return QFile::decodeName(QByteArray::fromStdString(session_.work().picturePath));
}

bool Main::pictureOn() const {
    return session_.view().pictureShown;
}

void Main::showPicture() {
    if (pictureOn() && (ps_.isNull() || shownPicturePath_ != PicturePath())) {
        // The picture is read from its file: one that cannot be read is told and stays off, the
        // work shown all the same.
        QImage picture;
        const QString error = readPicture(PicturePath(), picture);
        if (!error.isEmpty()) {
            dialogs_.warn(kPictureTitle, error);
            session_.setPictureShown(false);
        } else {
            ps_ = std::move(picture);
            shownPicturePath_ = PicturePath();
        }
    }
    // While the picture shows, its pan and zoom can be moved; the axis mark and the pointer's
    // coordinates give way to it. Off, the surface shows the grid over the black background.
    const bool on = pictureOn();
    if (!on) {
        ps_ = QImage();
        shownPicturePath_.clear();
        ui_.Picture1->clearPicture();
    } else {
        ApplyViewTransform();
    }
    ui_.Command4->setProperty("tag", on ? QStringLiteral("1") : QStringLiteral("0"));
    ui_.Label4->setVisible(!on);
    ui_.lblX->setVisible(!on);
    ui_.lblY->setVisible(!on);
    ui_.Frame9->setEnabled(on);
    // The plan is calibrated on screen.
    ui_.IM_Calibrate->setEnabled(on);
    if (!on && calibrating())
        endCalibration();
}

void Main::ApplyViewTransform() {
    fitPictureSliders();
    PictureSliders s;
    s.horiz = session_.work().pictureHoriz;
    s.vert = session_.work().pictureVert;
    s.zoom = session_.work().pictureZoom;
    ui_.Picture1->showPicture(ps_, placePicture(s, ps_.width(), ps_.height()));
}

void Main::Command4_Click() {
    const bool on = !pictureOn() && !PicturePath().trimmed().isEmpty();
    if (on) {
        // On: the file is read again, so that a picture edited meanwhile shows as it is now.
        QImage picture;
        const QString error = readPicture(PicturePath(), picture);
        if (!error.isEmpty()) {
            dialogs_.warn(kPictureTitle, error);
            return;
        }
        ps_ = std::move(picture);
        shownPicturePath_ = PicturePath();
    }
    show(session_.setPictureShown(on) | Changed::Picture);
}

QString Main::AskPictureFileName() {
    // Leading and trailing blanks and a final code-0 character are not part of the name.
    auto cleaned = [](QString name) {
        name = name.trimmed();
        if (name.endsWith(QChar(0)))
            name.chop(1);
        return name.trimmed();
    };
    const QString typed = dialogs_.askPictureName(kPictureTitle);
    return chosenFileName(cleaned(typed), kPictureTitle, false);
}

void Main::OpenPictureFile() {
    const QString name = AskPictureFileName();
    Chosen_File_ = name;
    if (name.isEmpty())
        return;
    // Read first: a picture that cannot be shown leaves the display and PicturePath as they
    // were.
    QImage picture;
    const QString error = readPicture(name, picture);
    if (!error.isEmpty()) {
        dialogs_.warn(kPictureTitle, error);
        return;
    }
    ps_ = std::move(picture);
    shownPicturePath_ = name;
    show(session_.choosePicture(QFile::encodeName(name).toStdString()));
}

const QStringList& Main::paintPrograms() {
    // The usual paint programs of a Linux desktop, the simplest first; xdg-open hands the file
    // to whatever the desktop opens pictures with.
    static const QStringList programs = {QStringLiteral("kolourpaint"), QStringLiteral("pinta"),
                                         QStringLiteral("mtpaint"),     QStringLiteral("gimp"),
                                         QStringLiteral("krita"),       QStringLiteral("xdg-open")};
    return programs;
}

void Main::IM_BACKCOLOR_Click() {
    const QString path = PicturePath().trimmed();
    if (path.isEmpty())
        return;
    // The path is one argument of its own: no shell sees it, whatever characters it holds.
    for (const QString& name : paintPrograms()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (program.isEmpty())
            continue;
        if (dialogs_.startProgram(program, {PicturePath()}))
            return;
    }
    dialogs_.warn(QStringLiteral("&MsPaint").remove('&'),
                  QStringLiteral("Aucun programme de dessin n'a pu être lancé pour l'image « %1 ».")
                      .arg(PicturePath()));
}
