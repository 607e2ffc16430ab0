// What the dialog asks of the desktop: picking a file or a folder, and opening
// a page in the user's browser. The program uses the native implementation;
// tests script the answers.
#pragma once

#include <wx/string.h>

#include <optional>

class wxWindow;

// Where a chooser opens: an existing folder, and a file there to select
// (empty for none).
struct ChooserStart {
    wxString folder;
    wxString name;
    friend bool operator==(const ChooserStart&, const ChooserStart&) = default;
};

class CDesktop {
public:
    virtual ~CDesktop() = default;
    // The full path of the file the user confirmed (it need not exist), or
    // nothing if the user cancelled.
    virtual std::optional<wxString> ChooseFile(wxWindow* owner, const ChooserStart& start) = 0;
    // The folder the user confirmed, or nothing if the user cancelled or the
    // choice has no file-system path. `start` is an existing folder.
    virtual std::optional<wxString> ChooseFolder(wxWindow* owner, const wxString& start) = 0;
    // Opens a page (http or file address) in the browser; failures are silent.
    virtual void OpenPage(const wxString& url) = 0;
};
