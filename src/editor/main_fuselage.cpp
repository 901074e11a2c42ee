// The editor's side of the window "Fuselage": opening it, the plan's pictures under its views,
// and the panel's "Suit" and fairness check. Every change is an edit of the session.
#include "editor/main.h"

#include "editor/fuselage_window.h"
#include "editor/status_line.h"
#include "editor/tool_windows.h"
#include "editor/user_dialogs.h"

#include <QAction>
#include <QFile>
#include <QImage>

namespace {

const QString kFuselageTitle = QStringLiteral("Fuselage");

QString fromUtf8(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

void Main::connectFuselage() {
    fuselageWindow_ = new FuselageWindow(*this, this);
    toolWindows_->join(fuselageWindow_, kFuselageTitle);
    connect(ui_.IM_Fuselage, &QAction::triggered, this, [this] { IM_Fuselage_Click(); });
}

void Main::IM_Fuselage_Click() {
    fuselageWindow_->show();
    fuselageWindow_->raise();
    fuselageWindow_->activateWindow();
}

bool Main::fuselageEdit(const std::function<std::string(Changed& changed)>& edit) {
    if (calibrating())
        endCalibration();
    Changed changed = Changed::None;
    const std::string why = edit(changed);
    if (!why.empty()) {
        statusLine_->refuse(fromUtf8(why));
        return false;
    }
    show(changed);
    return true;
}

void Main::chooseFuselagePicture(EditorSession::PlanView view) {
    const QString name = AskPictureFileName();
    if (name.isEmpty())
        return;
    // Read first: a picture that cannot be shown leaves the view as it was.
    QImage picture;
    if (const QString error = readPicture(name, picture); !error.isEmpty()) {
        dialogs_.warn(kFuselageTitle, error);
        return;
    }
    show(session_.choosePlanPicture(view, QFile::encodeName(name).toStdString(), picture.height()));
}

void Main::calibrateFuselagePicture(EditorSession::PlanView view, CurvePoint a, CurvePoint b) {
    const std::optional<double> mm =
        dialogs_.askNumber(kFuselageTitle, QStringLiteral("Distance réelle (mm) :"),
                           DecimalRule{kMinCalibrationDistance, kMaxCalibrationDistance});
    if (!mm)
        return;
    fuselageEdit([&](Changed& c) { return session_.calibratePlanPicture(view, a, b, *mm, c); });
}

void Main::lstCouples_FollowClicked(int row, bool follows) {
    changeFormers(
        [&](std::string& why, Changed& c) { return session_.setFollows(row, follows, why, c); });
}
