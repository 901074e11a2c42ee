#pragma once

#include <QLocale>
#include <QString>

// What both programs do first, once the application object exists: the application's name
// and version, and Qt's own texts in French (see useFrenchQtTexts).
void setUpApplication();

// Qt's own texts (dialog labels and buttons, message-box buttons, context menus) in French
// whatever the desktop's language: Qt's French catalogue is loaded from `folder` (Qt's
// translations folder when empty) and French becomes the default locale. The desktop's locale
// is kept for the numbers the user reads (userLocale). False when the catalogue cannot be
// loaded: Qt then speaks English and nothing is said; a later call may try again.
bool useFrenchQtTexts(const QString& folder = QString());

// The locale of the user's desktop: the default locale as it was before French was made the
// default for Qt's own texts.
QLocale userLocale();

// The version of the build, and "EDITEUR de COUPLES" followed by it.
QString buildVersion();
QString versionText();
