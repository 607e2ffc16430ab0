// The system's MessageBox, as every Windows program's notices look. The
// toolkit's own box would be a task dialog wherever common controls 6 are
// loaded (the program's manifest asks for them), with other keys and looks.
// The box draws its own arrow cursor, even while the program is busy.
#include "messagebox.h"

#include <wx/modalhook.h>
#include <wx/msw/wrapwin.h>

int CMessageBox::ShowModal() {
    WX_HOOK_MODAL_DIALOG();
    const long style = GetMessageDialogStyle();
    UINT type = MB_OK;
    if (style & wxICON_EXCLAMATION) type |= MB_ICONEXCLAMATION;
    // Both disable the owner; a system-modal box also stays above every other window.
    type |= (style & wxSTAY_ON_TOP) ? MB_SYSTEMMODAL : MB_APPLMODAL;
    const HWND owner = m_parent ? static_cast<HWND>(m_parent->GetHWND()) : nullptr;
    ::MessageBoxW(owner, GetMessage().wc_str(), GetCaption().wc_str(), type);
    return wxID_OK;
}
