#include "dialogsink.h"

#include "messagebox.h"
#include "text.h"

void CDialogSink::show(const std::string& text, const std::string& caption) {
    if (silent_) return;
    CMessageBox box(owner_, tavui::to_wx(text), tavui::to_wx(caption), wxOK | wxICON_NONE);
    box.ShowModal();
}
