#include "editor/application.h"
#include "editor/piece_size_dialog.h"
#include "editor/window_title.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QSizeF wholeFormer(int) {
    return {98.10, 161.18};
}

// The size dialog is wide enough for its title as the title bar shows it, the editor's name
// included, and shows every label and button whole, in French, at 100 % and, in the _200 run,
// at 200 %; the user cannot make it narrower than its title.
TEST(PieceSizeDialogLook, TitleAndEveryLabelShowWhole) {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("EDITEUR de COUPLES"));
    ASSERT_TRUE(useFrenchQtTexts());
    const bool doubled = qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2");
    for (const char* title : {"Exporter en SVG", "Exporter en PDF", "Imprimer à l'échelle 1:1"}) {
        SCOPED_TRACE(title);
        PieceSizeDialog d(QString::fromUtf8(title), wholeFormer);
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_EQ(d.devicePixelRatio(), doubled ? 2.0 : 1.0);
        const QString shown = shownWindowTitle(d);
        EXPECT_EQ(shown, QString::fromUtf8(title) + QStringLiteral(" — EDITEUR de COUPLES"));
        QFont bold = d.font();
        bold.setBold(true);
        const int needed = QFontMetrics(bold).horizontalAdvance(shown) + 100; // frame buttons
        EXPECT_GE(d.width(), needed);
        d.resize(50, d.height());
        QApplication::processEvents();
        EXPECT_GE(d.width(), needed) << "narrowed by the user";

        QStringList texts;
        for (const QLabel* l : d.findChildren<QLabel*>()) {
            if (l->isVisible()) {
                texts << l->text();
                EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
            }
        }
        for (const QAbstractButton* b : d.findChildren<QAbstractButton*>()) {
            texts << b->text();
            EXPECT_GE(b->width(), b->sizeHint().width()) << b->text().toStdString();
        }
        for (const char* text :
             {"Pièce :", "Largeur :", "Hauteur :", "Garder les proportions", "Annuler"})
            EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
}

} // namespace
