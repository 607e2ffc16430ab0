#include "dialogsink.h"

#include "messagebox.h"
#include "text.h"

void CDialogSink::show(const std::string& text, const std::string& caption) {
    CMessageBox box(owner_, tavui::to_wx(text), tavui::to_wx(caption), wxOK | wxICON_NONE);
    shown_ = &box;
    box.ShowModal();
    shown_ = nullptr;
}

void CDialogSink::Dismiss() {
    if (shown_ != nullptr) shown_->Dismiss();
}
