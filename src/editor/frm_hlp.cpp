#include "editor/frm_hlp.h"

#include "editor/application.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

FrmHlp::FrmHlp(QWidget* parent) : QDialog(parent) {
    setObjectName("FrmHlp");
    setWindowTitle(QStringLiteral("A propos"));
    setModal(true);

    auto label = [this](const char* name, const QString& text) {
        auto* l = new QLabel(text, this);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignHCenter);
        return l;
    };
    Label1 = label("Label1", QStringLiteral("EDITEUR de COUPLES"));
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    Label1->setFont(big);
    Label2 = label("Label2", QStringLiteral("Version %1").arg(buildVersion()));
    Label3 = label("Label3", QString::fromUtf8("Dessin des couples de fuselage de modèles réduits, "
                                               "vus en 3D et exportés en fichiers profils."));
    Label4 = label("Label4", QStringLiteral("Qt %1").arg(QLatin1String(qVersion())));
    Command1 = new QPushButton(QStringLiteral("&OK"), this);
    Command1->setObjectName("Command1");
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    auto* column = new QVBoxLayout(this);
    column->setSizeConstraint(QLayout::SetFixedSize);
    column->setContentsMargins(24, 18, 24, 14);
    column->setSpacing(8);
    for (QLabel* l : {Label1, Label2, Label3, Label4})
        column->addWidget(l);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addStretch();
    column->addSpacing(6);
    column->addLayout(buttons);
}
