#include "messagebox.h"

#include "text.h"

namespace tavui {

void CDialogSink::show(const std::string& text, const std::string& caption) {
    if (silent_) return;
    CMessageBox box(owner_, to_wx(text), to_wx(caption), wxOK | wxICON_NONE);
    box.ShowModal();
}

}  // namespace tavui
