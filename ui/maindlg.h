// The program's main window: the four split values in edit controls, Go, the
// two Browse buttons, Help and Quit. It loads the settings when it opens and
// saves them when it goes, whichever way it was closed.
#pragma once

#include "dialoglayout.h"
#include "messagebox.h"

#include "tav/splitsettings.h"

#include <wx/dialog.h>
#include <wx/string.h>

#include <functional>
#include <memory>

class wxButton;
class wxCommandEvent;
class wxCloseEvent;
class wxInitDialogEvent;
class wxKeyEvent;
class wxMenu;
class wxTextCtrl;

namespace tav {
class MessageSink;
}  // namespace tav

namespace tavui {
class CDesktop;
class CSystemMenu;
}  // namespace tavui

class CSplitDlg : public wxDialog {
public:
    // Runs one split (Go).
    using SplitAction = std::function<void(const tav::SplitSettings&, tav::MessageSink&)>;

    // The local help page's section on the About box, which F1 opens over it.
    static constexpr const char* kHelpAboutSection = "about";

    // What the dialog works with beyond its own windows: the desktop's
    // choosers and browser, the split behind Go, and the web page Help opens
    // (empty: the local help page, as F1 opens).
    CSplitDlg(tavui::CDesktop& desktop, SplitAction split, wxString helpPageUrl);
    // Saves the settings unless closing the dialog has done so.
    ~CSplitDlg() override;

    // The window's menu of commands, which carries the About entry.
    wxMenu& SystemMenu() const;

    // A request from outside the dialog's own windows that the program end (a
    // signal, the session ending): every window over the dialog goes as if
    // cancelled, a split stops, and the dialog closes as its close box does.
    // While the dialog is already closing (its save's error box is up), the
    // box goes and the dialog ends.
    void RequestClose();
    // Saves the values last read without showing anything, unless a save has
    // been made: for when no window can be shown any more (the display is
    // gone) or the process may end at any moment (the session ends).
    void SaveWithoutWindows() noexcept;

private:
    void CreateControls();
    void BindHandlers();

    // Copies each edit control's text into its field (SOURCE, DEST, KB, LINES).
    void ReadControls();
    // Copies each field into its edit control, in the same order.
    void ShowFields();

    void OnInitDialog(wxInitDialogEvent& event);
    void OnGo(wxCommandEvent& event);
    void OnBrowseSource(wxCommandEvent& event);
    void OnBrowseDest(wxCommandEvent& event);
    void OnHelpPage(wxCommandEvent& event);
    void OnOK(wxCommandEvent& event);
    void OnCancel(wxCommandEvent& event);
    void OnClose(wxCloseEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnSysCommand(wxCommandEvent& event);
    void OnDropPath(const wxString& path);
    // Opens the local help page, at `section` if one is given: F1, and Help
    // unless the build names a web page.
    void OpenLocalHelp(const wxString& section = wxString());
    // Writes the four fields to the settings file; a failure is reported.
    void SaveSettings();

    void ShowOutOfMemory();
    // Saves the settings and ends the dialog with this result, once.
    void Finish(int code);

    // Once a close has been asked for, a command that would open a window
    // (one that was on its way, say from a screen reader) is ignored.
    bool Ending() const { return closing_ || closeRequested_; }

    // Marks a handler that runs a modal loop of its own; a close request that
    // comes meanwhile is carried out when the last such handler returns.
    class CBusy {
    public:
        explicit CBusy(CSplitDlg& dialog);
        ~CBusy();
        CBusy(const CBusy&) = delete;
        CBusy& operator=(const CBusy&) = delete;

    private:
        CSplitDlg& dialog_;
    };

    tavui::CDesktop& desktop_;
    SplitAction split_;
    wxString helpPageUrl_;
    tavui::CDialogSink sink_;
    tavui::CDialogLayout layout_;
    std::unique_ptr<tavui::CSystemMenu> systemMenu_;

    // The four values as the core takes them: read from the controls at a
    // button press, shown in them after a load, a choice or a run.
    tav::SplitSettings fields_;

    wxTextCtrl* sourceEdit_ = nullptr;
    wxTextCtrl* destEdit_ = nullptr;
    wxTextCtrl* kbEdit_ = nullptr;
    wxTextCtrl* linesEdit_ = nullptr;
    wxButton* quitButton_ = nullptr;

    int busy_ = 0;
    bool closeRequested_ = false;
    bool closing_ = false;  // Finish() has run
    bool saved_ = false;    // a save has been made
};
