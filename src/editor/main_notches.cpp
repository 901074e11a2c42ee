// The stringers and slots ("&Outils" › "&Lisses et encoches..."): the window that shows the
// session's table, and the question an export asks when a former it draws has notches left out.
#include "editor/main.h"

#include "editor/notches_dialog.h"
#include "editor/status_line.h"
#include "editor/tool_windows.h"
#include "editor/user_dialogs.h"

#include <QAction>

void Main::connectNotches() {
    notches_ = new NotchesDialog(session_, this);
    notches_->edited = [this](Changed c) { show(c); };
    notches_->refused = [this](const QString& why) { statusLine_->refuse(why); };
    toolWindows_->join(notches_, QStringLiteral("Lisses et encoches"));
    connect(ui_.IM_Notches, &QAction::triggered, this, [this] {
        notches_->show();
        notches_->raise();
        notches_->activateWindow();
    });
}

bool Main::exportLeavingNotchesOut(const QString& title, const std::vector<int>& formers) {
    QStringList lines;
    int count = 0;
    for (const int i : formers)
        for (const NotchRefusal& r : session_.formerCut(i).notches.refused) {
            if (++count <= 12)
                lines << QString::fromStdString(r.text);
        }
    if (count == 0)
        return true;
    if (count > lines.size())
        lines << QStringLiteral("… et %1 de plus").arg(count - lines.size());
    const QString text =
        (count == 1 ? QStringLiteral("Une encoche est laissée de côté :\n")
                    : QStringLiteral("%1 encoches sont laissées de côté :\n").arg(count)) +
        lines.join('\n') +
        QStringLiteral("\n\nLa pièce sera découpée sans elles. Exporter quand même ?");
    return dialogs_.askConfirmation(title, text);
}
