#include "accessibility.h"

#include "resource.h"

#include <wx/dialog.h>
#include <wx/stattext.h>

namespace {

// Each edit and the label that names it. The labels have no ids; they are
// known by their text.
struct EditLabel {
    int edit;
    const char* label;
};
constexpr EditLabel kLabels[] = {
    {res::IDC_SOURCE, "Source File:"},
    {res::IDC_DEST, "Destination Folder:"},
    {res::IDC_LINES, "Lines Per File:"},
    {res::IDC_KB, "Or KB Per File:"},
};

// Both buttons read "Browse"; the description says which field each fills.
struct ButtonDescription {
    int button;
    const char* description;
};
constexpr ButtonDescription kDescriptions[] = {
    {res::IDC_BROWSE_SOURCE, "Choose the source file"},
    {res::IDC_BROWSE_DEST, "Choose the destination folder"},
};

wxStaticText* find_label(const wxDialog& dialog, const wxString& text) {
    for (wxWindow* child : dialog.GetChildren())
        if (auto* label = dynamic_cast<wxStaticText*>(child); label && label->GetLabel() == text) return label;
    return nullptr;
}

}  // namespace

bool tavui::name_fields_for_screen_readers(wxDialog& dialog) {
    bool all = true;
    for (const EditLabel& pair : kLabels) {
        wxWindow* edit = dialog.FindWindow(pair.edit);
        wxStaticText* label = find_label(dialog, pair.label);
        all = edit != nullptr && label != nullptr && set_accessible_label(*edit, *label) && all;
    }
    for (const ButtonDescription& button : kDescriptions) {
        wxWindow* control = dialog.FindWindow(button.button);
        all = control != nullptr && set_accessible_description(*control, button.description) && all;
    }
    return all;
}
