// What the dialog asks of the desktop: picking a file or a folder, and opening
// a page in the user's browser. The program uses the native implementation;
// tests script the answers.
#pragma once

#include <wx/string.h>

#include <optional>

class wxWindow;

class CDesktop {
public:
    virtual ~CDesktop() = default;
    // The full path of the file the user confirmed (it need not exist), or
    // nothing if the user cancelled.
    virtual std::optional<wxString> ChooseFile(wxWindow* owner) = 0;
    // The folder the user confirmed, or nothing if the user cancelled or the
    // choice has no file-system path.
    virtual std::optional<wxString> ChooseFolder(wxWindow* owner) = 0;
    // Opens a page (http or file address) in the browser; failures are silent.
    virtual void OpenPage(const wxString& url) = 0;
};
