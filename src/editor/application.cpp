#include "editor/application.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>
#include <optional>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

std::optional<QLocale>& desktopLocale() {
    static std::optional<QLocale> locale;
    return locale;
}

} // namespace

void setUpApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("editeur-couples"));
    // No display name: Qt would append it to every window title that does not end with it
    // ("Assemblage — EDITEUR de COUPLES"), and each window's title is its caption alone.
    QCoreApplication::setApplicationVersion(buildVersion());
    useFrenchQtTexts();
    keepFreedMemoryBounded();
}

void keepFreedMemoryBounded() {
#if defined(__GLIBC__)
    // Fixed thresholds also stop the library from adjusting them.
    mallopt(M_MMAP_THRESHOLD, kLargeBlock);
    mallopt(M_TRIM_THRESHOLD, kFreeKeptAtTop);
#endif
}

bool useFrenchQtTexts(const QString& folder) {
    if (!desktopLocale())
        desktopLocale() = QLocale();
    const QLocale french(QLocale::French, QLocale::France);
    QLocale::setDefault(french);
    static QTranslator* qtTexts = nullptr; // owned by the application once installed
    if (qtTexts)
        return true;
    auto catalogue = std::make_unique<QTranslator>(QCoreApplication::instance());
    if (!catalogue->load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                         folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath)
                                          : folder) ||
        !QCoreApplication::installTranslator(catalogue.get()))
        return false;
    qtTexts = catalogue.release();
    return true;
}

QLocale userLocale() {
    return desktopLocale().value_or(QLocale());
}

QString buildVersion() {
    return QStringLiteral(COUPLES_VERSION);
}

QString versionText() {
    return QStringLiteral("EDITEUR de COUPLES %1").arg(buildVersion());
}
