// Accepts files and folders dropped on a window and hands the first one on.
#pragma once

#include <wx/dnd.h>

#include <functional>

class CPathDropTarget : public wxFileDropTarget {
public:
    using Handler = std::function<void(const wxString& path)>;
    explicit CPathDropTarget(Handler handler) : handler_(std::move(handler)) {}
    bool OnDropFiles(wxCoord x, wxCoord y, const wxArrayString& paths) override;

private:
    Handler handler_;
};
