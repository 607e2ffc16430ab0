// The system's annotation of existing controls (oleacc's dynamic annotation):
// what a screen reader asks a control for through MSAA, or through UI
// Automation's proxy for Win32 controls, is the text set here instead of the
// one Windows derives from the static text before the control in z-order.
#include "accessibility.h"

#include <wx/control.h>
#include <wx/msw/wrapwin.h>
#include <wx/window.h>

#include <oleacc.h>

namespace {

// Runs `use` on the system's annotation service; false if the service is
// missing or `use` fails.
template <typename Use>
bool with_annotation_service(Use use) {
    IAccPropServices* services = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                                  reinterpret_cast<void**>(&services))))
        return false;
    const HRESULT result = use(*services);
    services->Release();
    return SUCCEEDED(result);
}

// Sets one property of the control itself (its client object). The system
// keeps annotations beyond a window's life, so it is cleared when the control
// is destroyed.
bool annotate(wxWindow& control, const MSAAPROPID& property, const wxString& text) {
    const HWND hwnd = static_cast<HWND>(control.GetHandle());
    const auto client = static_cast<DWORD>(OBJID_CLIENT);
    if (!with_annotation_service([&](IAccPropServices& services) {
            return services.SetHwndPropStr(hwnd, client, CHILDID_SELF, property, text.wc_str());
        }))
        return false;
    control.Bind(wxEVT_DESTROY, [hwnd, client, property](wxWindowDestroyEvent& event) {
        with_annotation_service([&](IAccPropServices& services) {
            return services.ClearHwndProps(hwnd, client, CHILDID_SELF, &property, 1);
        });
        event.Skip();
    });
    return true;
}

}  // namespace

// MSAA has no labelled-by relation to mend: the name is what a screen reader reads.
bool tavui::set_accessible_label(wxWindow& edit, wxControl& label) {
    return annotate(edit, PROPID_ACC_NAME, label.GetLabelText());
}

bool tavui::set_accessible_description(wxWindow& control, const wxString& description) {
    return annotate(control, PROPID_ACC_DESCRIPTION, description);
}

bool tavui::defer_assistive_command(wxEvent&) { return false; }
