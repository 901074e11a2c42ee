#include "editor/file_dialog.h"

#include "files/default_extension.h"

#include <QDir>
#include <QFileDialog>

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const QString& Pattern,
                                            const QString& Description, bool forSave) {
    // No initial folder: the dialog opens in the current one.
    auto d = std::make_unique<QFileDialog>(parent, Description, QString(),
                                           QStringLiteral("%1 (%2)").arg(Description, Pattern));
    // The filter shows its description alone, without the pattern in brackets.
    d->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite |
                  QFileDialog::HideNameFilterDetails);
    d->setAcceptMode(forSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Any name may be typed, existing or not, even when opening.
    d->setFileMode(QFileDialog::AnyFile);
    d->setDefaultSuffix(QString());
    return d;
}

QString askFileName(QWidget* parent, const QString& Pattern, const QString& Description,
                    bool forSave, const QString& folder) {
    const std::unique_ptr<QFileDialog> d = makeFileDialog(parent, Pattern, Description, forSave);
    if (!folder.isEmpty() && QDir(folder).exists())
        d->setDirectory(folder);
    if (d->exec() != QDialog::Accepted)
        return {};
    const QStringList files = d->selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}

QString chosenFileName(const QString& typed, const QString& Description, bool forSave) {
    if (typed.isEmpty())
        return {};
    const QString name = QDir::current().absoluteFilePath(typed);
    if (!forSave)
        return name;
    return QString::fromStdString(
        withDefaultExtension(name.toStdString(), Description.toStdString()));
}

QString pictureDialogFilter() {
    // Character classes make each pattern blind to case, on every platform.
    return QStringLiteral("*.BMP (*.[Bb][Mm][Pp]);;"
                          "*.JPG (*.[Jj][Pp][Gg] *.[Jj][Pp][Ee][Gg]);;"
                          "*.PNG (*.[Pp][Nn][Gg])");
}

std::unique_ptr<QFileDialog> makePictureDialog(QWidget* parent, const QString& title) {
    auto d = std::make_unique<QFileDialog>(parent, title, QString(), pictureDialogFilter());
    // The entries read "*.BMP", "*.JPG" and "*.PNG", without their patterns.
    d->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(QFileDialog::ExistingFile);
    d->selectNameFilter(d->nameFilters().front());
    return d;
}

QString askPictureName(QWidget* parent, const QString& title) {
    const std::unique_ptr<QFileDialog> d = makePictureDialog(parent, title);
    if (d->exec() != QDialog::Accepted)
        return {};
    const QStringList files = d->selectedFiles();
    return files.isEmpty() ? QString() : files.front();
}
