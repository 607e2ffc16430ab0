#include "maindlg.h"

#include "aboutbox.h"
#include "accessibility.h"
#include "desktop.h"
#include "resource.h"
#include "resources.h"
#include "systemmenu.h"
#include "text.h"

#include "tav/messagesink.h"
#include "tav/settings.h"
#include "tav/splitsettings.h"
#include "tav/stoprequest.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/iconbndl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <new>

using namespace tavui;

namespace {

// Accepts files and folders dropped on the dialog and hands the first one on.
class CPathDropTarget : public wxFileDropTarget {
public:
    using Handler = std::function<void(const wxString& path)>;
    explicit CPathDropTarget(Handler handler) : handler_(std::move(handler)) {}
    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& paths) override {
        if (paths.empty()) return false;
        handler_(paths[0]);
        return true;
    }

private:
    Handler handler_;
};

enum class Kind { Button, Label, Edit };

// One control of the dialog, placed in dialog units.
struct ControlSpec {
    Kind kind;
    int id;  // wxID_ANY for labels nobody refers to
    const char* text;
    int x, y, width, height;
};

// In tab order.
constexpr ControlSpec kControls[] = {
    {Kind::Button, res::IDC_QUIT, "Quit", 263, 7, 50, 14},
    {Kind::Label, wxID_ANY, "Source File:", 7, 10, 38, 8},
    {Kind::Label, wxID_ANY, "Destination Folder:", 7, 24, 60, 8},
    {Kind::Edit, res::IDC_SOURCE, "", 68, 7, 105, 14},
    {Kind::Edit, res::IDC_DEST, "", 68, 21, 105, 14},
    {Kind::Button, res::IDC_BROWSE_SOURCE, "Browse", 174, 7, 30, 14},
    {Kind::Button, res::IDC_BROWSE_DEST, "Browse", 174, 21, 30, 14},
    {Kind::Button, res::IDC_HELP_PAGE, "Help", 213, 21, 50, 14},
    {Kind::Button, res::IDC_GO, "Go", 213, 7, 50, 14},
    {Kind::Label, res::IDC_VERSION, "Tavendrillox - v1.01", 7, 54, 189, 8},
    {Kind::Label, wxID_ANY, "Lines Per File:", 8, 38, 45, 8},
    {Kind::Label, wxID_ANY, "Or KB Per File:", 114, 38, 47, 8},
    {Kind::Edit, res::IDC_LINES, "", 68, 35, 40, 14},
    {Kind::Edit, res::IDC_KB, "", 164, 35, 40, 14},
};

constexpr int kDialogWidth = 320, kDialogHeight = 63;

}  // namespace

CSplitDlg::CSplitDlg(CDesktop& desktop, SplitAction split, wxString helpPageUrl)
    : wxDialog(nullptr, res::IDD_SPLIT_DIALOG, "Tavendrillox", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxDIALOG_NO_PARENT),
      desktop_(desktop),
      split_(std::move(split)),
      helpPageUrl_(std::move(helpPageUrl)),
      sink_(this),
      layout_(*this, wxSize(kDialogWidth, kDialogHeight)) {
    // A request to stop belongs to the dialog it was meant for.
    tav::process_stop_request().clear();
    // Dialog units follow the font, so it comes before any control is placed.
    SetFont(dialog_font());
    CreateControls();
    SetAffirmativeId(res::IDC_QUIT);
    SetEscapeId(wxID_CANCEL);
    quitButton_->SetDefault();
    keep_arrow_keys_in_groups(*this);
    SetDropTarget(new CPathDropTarget([this](const wxString& path) { OnDropPath(path); }));
    systemMenu_ = CSystemMenu::For(*this);
    BindHandlers();
    CentreOnScreen();
}

// A dialog that was closed has saved already, while it was still on screen.
CSplitDlg::~CSplitDlg() {
    if (!closing_) SaveSettings();
}

void CSplitDlg::CreateControls() {
    for (const ControlSpec& c : kControls) {
        const wxRect units(c.x, c.y, c.width, c.height);
        switch (c.kind) {
        case Kind::Button:
            layout_.Place(*new wxButton(this, c.id, c.text), units);
            break;
        case Kind::Label: {
            // Each label starts a group, and one that nobody refers to has no id.
            auto* label = new wxStaticText(this, c.id, c.text, wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE);
            start_group(*label);
            if (c.id == wxID_ANY) clear_control_id(*label);
            layout_.PlaceLabel(*label, units);
            break;
        }
        case Kind::Edit:
            layout_.Place(*new wxTextCtrl(this, c.id, c.text), units);
            break;
        }
    }
    layout_.Apply();
    sourceEdit_ = static_cast<wxTextCtrl*>(FindWindow(res::IDC_SOURCE));
    destEdit_ = static_cast<wxTextCtrl*>(FindWindow(res::IDC_DEST));
    kbEdit_ = static_cast<wxTextCtrl*>(FindWindow(res::IDC_KB));
    linesEdit_ = static_cast<wxTextCtrl*>(FindWindow(res::IDC_LINES));
    quitButton_ = static_cast<wxButton*>(FindWindow(res::IDC_QUIT));
}

void CSplitDlg::BindHandlers() {
    Bind(wxEVT_INIT_DIALOG, &CSplitDlg::OnInitDialog, this);
    Bind(wxEVT_BUTTON, &CSplitDlg::OnGo, this, res::IDC_GO);
    Bind(wxEVT_BUTTON, &CSplitDlg::OnBrowseSource, this, res::IDC_BROWSE_SOURCE);
    Bind(wxEVT_BUTTON, &CSplitDlg::OnBrowseDest, this, res::IDC_BROWSE_DEST);
    Bind(wxEVT_BUTTON, &CSplitDlg::OnHelpPage, this, res::IDC_HELP_PAGE);
    Bind(wxEVT_BUTTON, &CSplitDlg::OnOK, this, res::IDC_QUIT);
    Bind(wxEVT_BUTTON, &CSplitDlg::OnCancel, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, &CSplitDlg::OnClose, this);
    Bind(wxEVT_CHAR_HOOK, &CSplitDlg::OnCharHook, this);
    Bind(wxEVT_MENU, &CSplitDlg::OnSysCommand, this);
}

// The fields hold the text as the core gets it. Where the core's character
// set is narrower than the controls' (Windows' ANSI code page), a character
// it lacks becomes what the core makes of it ("?"), and the fields show that
// from then on, as a dialog working in that character set would.
void CSplitDlg::ReadControls() {
    fields_ = {to_bytes(sourceEdit_->GetValue()), to_bytes(destEdit_->GetValue()), to_bytes(kbEdit_->GetValue()),
               to_bytes(linesEdit_->GetValue())};
}

void CSplitDlg::ShowFields() {
    sourceEdit_->ChangeValue(to_wx(fields_.source));
    destEdit_->ChangeValue(to_wx(fields_.dest));
    kbEdit_->ChangeValue(to_wx(fields_.kb));
    linesEdit_->ChangeValue(to_wx(fields_.lines));
}

wxMenu& CSplitDlg::SystemMenu() const { return systemMenu_->Menu(); }

void CSplitDlg::OnInitDialog(wxInitDialogEvent&) {
    // Where the platform refuses, the dialog still works the same for everyone.
    name_fields_for_screen_readers(*this);
    SetIcons(app_icons());
    tav::SettingsFile().load(fields_);
    ShowFields();
    quitButton_->SetFocus();
}

void CSplitDlg::OnGo(wxCommandEvent&) {
    if (Ending()) return;
    const CBusy busy(*this);
    ReadControls();
    try {
        wxBusyCursor wait;
        split_(fields_, sink_);
    } catch (const std::bad_alloc&) {
        // Pieces already written stay; the dialog stays usable.
        ShowOutOfMemory();
    }
    ShowFields();
}

void CSplitDlg::OnBrowseSource(wxCommandEvent&) {
    if (Ending()) return;
    const CBusy busy(*this);
    ReadControls();
    {
        const CCurrentDirGuard keep;
        if (const auto path = desktop_.ChooseFile(this, file_chooser_start(to_wx(fields_.source))))
            fields_.source = to_bytes(*path);
    }
    ShowFields();
}

void CSplitDlg::OnBrowseDest(wxCommandEvent&) {
    if (Ending()) return;
    const CBusy busy(*this);
    ReadControls();
    {
        const CCurrentDirGuard keep;
        const auto path = desktop_.ChooseFolder(this, folder_chooser_start(to_wx(fields_.dest)));
        if (path && !path->empty()) fields_.dest = to_bytes(*path);
    }
    ShowFields();
}

void CSplitDlg::OnHelpPage(wxCommandEvent&) {
    ReadControls();
    if (helpPageUrl_.empty())
        OpenLocalHelp();
    else
        desktop_.OpenPage(helpPageUrl_);
    ShowFields();
}

void CSplitDlg::OnOK(wxCommandEvent&) {
    ReadControls();
    Finish(res::IDC_QUIT);
}

// Esc and the close box end the dialog without reading the controls, so text
// typed since the last button press is not saved.
void CSplitDlg::OnCancel(wxCommandEvent&) { Finish(wxID_CANCEL); }

// The close box; a request from outside comes the same way.
void CSplitDlg::OnClose(wxCloseEvent&) { RequestClose(); }

void CSplitDlg::RequestClose() {
    // A split stops at its next block or wait, and shows nothing more: nobody
    // is to be kept waiting on a box now.
    tav::process_stop_request().request();
    sink_.Silence();
    close_modal_windows(*this);
    // A handler that waits on a window of its own is left to finish first:
    // the dialog stays up and keeps owning its windows meanwhile. Once the
    // dialog is closing, taking its save's box away was all there was to do.
    if (busy_ > 0 || closing_)
        closeRequested_ = true;
    else
        Finish(wxID_CANCEL);
}

void CSplitDlg::OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE && event.GetModifiers() == wxMOD_NONE) {
        Finish(wxID_CANCEL);
    } else if (key == WXK_F1 && event.GetModifiers() == wxMOD_NONE) {
        OpenLocalHelp();
    } else {
        event.Skip();
    }
}

void CSplitDlg::OnSysCommand(wxCommandEvent& event) {
    if ((event.GetId() & ~0xF) == res::IDM_ABOUTBOX) {
        if (Ending()) return;
        const CBusy busy(*this);
        CAboutBox about(this);
        // F1 over the About box opens the help page's About section.
        about.Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& key) {
            if (key.GetKeyCode() == WXK_F1 && key.GetModifiers() == wxMOD_NONE)
                OpenLocalHelp(kHelpAboutSection);
            else
                key.Skip();
        });
        about.ShowModal();
    } else {
        event.Skip();
    }
}

void CSplitDlg::OnDropPath(const wxString& path) {
    ReadControls();
    (wxDirExists(path) ? fields_.dest : fields_.source) = to_bytes(path);
    ShowFields();
}

void CSplitDlg::OpenLocalHelp(const wxString& section) {
    const auto page = local_help_page();
    if (!page) return;
    wxString url = wxFileName::FileNameToURL(wxFileName(*page));
    if (!section.empty()) url += "#" + section;
    desktop_.OpenPage(url);
}

void CSplitDlg::Finish(int code) {
    if (closing_) return;
    closing_ = true;
    // A modeless dialog (as in tests) keeps its result too.
    SetReturnCode(code);
    // Saved while the dialog is still on screen, so that a failure is told in
    // a box it owns, over it, rather than in a stray box in a corner.
    SaveSettings();
    EndDialog(code);
}

CSplitDlg::CBusy::CBusy(CSplitDlg& dialog) : dialog_(dialog) { ++dialog_.busy_; }

CSplitDlg::CBusy::~CBusy() {
    if (--dialog_.busy_ == 0 && dialog_.closeRequested_) dialog_.Finish(wxID_CANCEL);
}

void CSplitDlg::SaveSettings() {
    saved_ = true;
    // Its own box, shown even after a close request: the user may be there.
    CDialogSink box(this);
    tav::SettingsFile().stop_on(tav::process_stop_request()).save(fields_, box);
}

void CSplitDlg::SaveWithoutWindows() noexcept {
    if (saved_) return;
    saved_ = true;
    tav::SilentSink nobody;
    try {
        tav::SettingsFile().save(fields_, nobody);
    } catch (...) {
        // Out of memory as the process ends: there is nothing left to do.
    }
}

void CSplitDlg::ShowOutOfMemory() {
    // Before anything else, over every window: the program may be short of
    // memory for anything more.
    CMessageBox box(this, "Out of memory.", wxTheApp->GetAppName(), wxOK | wxICON_EXCLAMATION | wxSTAY_ON_TOP);
    box.ShowModal();
}
