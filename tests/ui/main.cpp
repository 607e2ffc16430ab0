// Test entry for the GUI tests: starts wx on the display (xvfb-run provides one
// on a headless machine), turns wx asserts into test failures, and cancels
// any modal dialog that a test did not arrange to answer.
#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/init.h>
#include <wx/modalhook.h>

namespace {

class CTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

// The last line of defence: registered first, so asked last.
class CUnexpectedDialogHook : public wxModalDialogHook {
protected:
    int Enter(wxDialog* dialog) override {
        ADD_FAILURE() << "unexpected modal dialog \"" << dialog->GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
};

void fail_on_assert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line) << "wx assert in " << func.utf8_string() << ": " << cond.utf8_string()
                                          << " " << msg.utf8_string();
}

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(CTestApp);

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (at build time) must work without a display.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();

    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start wx: is there a display? (run under xvfb-run -a)\n");
        return 1;
    }
    wxSetAssertHandler(fail_on_assert);
    int result = 1;
    if (wxTheApp->CallOnInit()) {
        CUnexpectedDialogHook last_resort;
        last_resort.Register();
        result = RUN_ALL_TESTS();
        last_resort.Unregister();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return result;
}
