// The "&Aide" menu: the guide and the about window.
#include "editor/main.h"

#include "editor/frm_hlp.h"
#include "editor/help_window.h"

#include <QTextBrowser>

void Main::IM_HRELP_Click() {
    if (!helpWindow_)
        helpWindow_ = makeHelpWindow(this);
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void Main::IM_ABOUT_Click() {
    // Made for each opening and gone once closed, so every opening starts fresh.
    FrmHlp about(this);
    aboutWindow_ = &about;
    about.exec();
    aboutWindow_ = nullptr;
}
