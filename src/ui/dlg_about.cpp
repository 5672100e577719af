#include "ui/dlg_about.h"

#include "ui/about_texts.h"
#include "ui/description/resource_ids.h"

namespace axistune {

namespace {

constexpr FontChange kLinkFont{true, 0, 0};
constexpr FontChange kTitleFont{false, 16, 700};

}  // namespace

intptr_t DlgAbout::Open(DialogHost& owner) {
    DlgAbout dialog;
    owner.RunChild(IDD_ABOUT, dialog);
    return 1;
}

intptr_t DlgAbout::OnInit(DialogHost& host) {
    host_ = &host;
    host.SetItemFont(IDC_ABOUT_LINK, kLinkFont);
    host.SetItemFont(IDC_ABOUT_TITLE, kTitleFont);
    host.MakeLink(IDC_ABOUT_LINK);
    return 1;
}

intptr_t DlgAbout::OnCommand(int id, int code) {
    // Compared whole: the control id with the plain click notification.
    if (code != kBnClicked) {
        return 0;
    }
    switch (id) {
        case IDC_DLG_OK:
        case IDC_DLG_CANCEL:
            host_->End(1);
            return 1;
        case IDC_ABOUT_LINK:
            host_->OpenUrl(kAboutUrlWide);
            return 1;
        default:
            return 0;
    }
}

}  // namespace axistune
