#pragma once

#include <QLocale>
#include <QString>

// What both programs do first, once the application object exists: the application's name
// and version, Qt's own texts in French (see useFrenchQtTexts), and freed memory handed back
// (see keepFreedMemoryBounded).
void setUpApplication();

// Blocks of kLargeBlock bytes or more (images above all) are handed back to the system as soon
// as they are freed, and free memory at the top of the heap beyond kFreeKeptAtTop bytes too.
// Left to itself the C library raises both thresholds to the largest block freed so far: after
// a large temporary image, blocks as large come from the heap, and up to twice that much free
// memory stays there for the rest of the session. Does nothing with another C library.
inline constexpr int kLargeBlock = 1 << 20;
inline constexpr int kFreeKeptAtTop = 4 << 20;
void keepFreedMemoryBounded();

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
