#include "maindlg.h"

#include "aboutbox.h"
#include "resource.h"
#include "support/dialogfixture.h"
#include "support/dialoghook.h"
#include "support/files.h"
#include "text.h"

#include "tav/messagesink.h"
#include "tav/splitsettings.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dnd.h>
#include <wx/filename.h>
#include <wx/fontenum.h>
#include <wx/menu.h>
#include <wx/statbmp.h>
#include <wx/stdpaths.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <functional>
#include <new>

using namespace res;
using namespace std::string_literals;
using namespace tavtest;
using Strings = std::vector<std::string>;

namespace {

const std::string kIni = "tavendrillox.ini";

// The file address of the help page next to the test program.
wxString local_help_url() {
    const wxFileName exe(wxStandardPaths::Get().GetExecutablePath());
    return wxFileName::FileNameToURL(wxFileName(exe.GetPath(), exe.GetName() + ".html"));
}

}  // namespace

TEST_F(DialogTest, FirstStartShowsDefaultKbAndLeavesAnEmptySettingsFile) {
    CMessageRecorder recorder;
    CSplitDlg& dialog = Open();
    EXPECT_EQ(Controls(), (Strings{"", "", "1024", ""}));
    EXPECT_EQ(SettingsText(), "");  // created by the load, written only when the dialog goes
    EXPECT_EQ(dialog.GetTitle(), "Tavendrillox");
    EXPECT_EQ(dialog.GetDefaultItem(), &Button(IDC_QUIT));
    EXPECT_EQ(dialog.GetAffirmativeId(), IDC_QUIT);
    EXPECT_EQ(dialog.GetIcons().GetIconCount(), 2u);
    EXPECT_EQ(dialog.FindWindow(IDC_VERSION)->GetLabel(), "Tavendrillox - v1.01");
    EXPECT_EQ(wxWindow::FindFocus(), &Button(IDC_QUIT));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(DialogTest, ShowsSavedValuesAndWritesThemBackByteForByte) {
    // Latin-1 bytes that are not UTF-8, as an older system may have left them.
    const std::string source = "/data/caf\xe9 \xff.txt", dest = "/out/\xc3\xa9t\xc3\xa9", lines = " 12x";
    write_file(Path(kIni), settings_text(source, dest, "", lines));
    CMessageRecorder recorder;
    Open();
    EXPECT_EQ(Controls(), (Strings{source, dest, "", lines}));
    EXPECT_EQ(Text(IDC_DEST), tavui::to_wx(dest));  // as the platform spells its names
    Press(IDC_QUIT);
    Destroy();
    EXPECT_EQ(SettingsText(), settings_text(source, dest, "", lines));
    EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(DialogTest, QuitSavesWhatWasTyped) {
    CMessageRecorder recorder;
    CSplitDlg& dialog = Open();
    Type(IDC_SOURCE, "in.txt");
    Type(IDC_DEST, "out");
    Type(IDC_KB, "");
    Type(IDC_LINES, "100");
    Press(IDC_QUIT);
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(dialog.GetReturnCode(), IDC_QUIT);
    Destroy();
    EXPECT_EQ(SettingsText(), settings_text("in.txt", "out", "", "100"));
}

// Esc and the close box end the dialog without reading the controls: what is
// saved is what the last button press (or the load) read, not later typing.
TEST_F(DialogTest, EscAndCloseBoxSaveTheValuesLastRead) {
    struct Case {
        const char* name;
        std::function<void()> close;
    };
    const Case cases[] = {
        {"Esc", [this] { PressKey(WXK_ESCAPE); }},
        {"close box", [this] { dialog_->Close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write_file(Path(kIni), settings_text("old.txt", "old", "", "5"));
        CMessageRecorder recorder;
        CSplitDlg& dialog = Open();
        Type(IDC_SOURCE, "read.txt");
        Press(IDC_HELP_PAGE);  // reads the controls
        Type(IDC_SOURCE, "typed later.txt");
        Type(IDC_LINES, "9");
        c.close();
        EXPECT_FALSE(dialog.IsShown());
        EXPECT_EQ(dialog.GetReturnCode(), wxID_CANCEL);
        Destroy();
        EXPECT_EQ(SettingsText(), settings_text("read.txt", "old", "", "5"));
        EXPECT_TRUE(recorder.messages.empty());
    }
}

TEST_F(DialogTest, CancelledBrowseKeepsTypedText) {
    CMessageRecorder recorder;
    Open();
    Type(IDC_SOURCE, "typed source");
    Type(IDC_DEST, "typed dest");
    desktop_.files.push_back({});
    Press(IDC_BROWSE_SOURCE);
    EXPECT_EQ(Controls(), (Strings{"typed source", "typed dest", "1024", ""}));

    Type(IDC_DEST, "typed dest 2");
    desktop_.folders.push_back({});
    Press(IDC_BROWSE_DEST);
    // A folder without a file-system path comes back empty and counts as cancelled.
    desktop_.folders.push_back({wxString(), {}});
    Press(IDC_BROWSE_DEST);
    EXPECT_EQ(Controls(), (Strings{"typed source", "typed dest 2", "1024", ""}));
    EXPECT_EQ(desktop_.owners, (std::vector<wxWindow*>(3, dialog_.get())));

    // The values read before browsing are the ones Esc saves.
    PressKey(WXK_ESCAPE);
    Destroy();
    EXPECT_EQ(SettingsText(), settings_text("typed source", "typed dest 2", "1024", ""));
}

TEST_F(DialogTest, BrowseSetsTheFieldsAndTheSettingsFileStaysInTheStartFolder) {
    const tavtest::TempDir elsewhere;
    const std::string picked_file = elsewhere / "pick \xc3\xa9.txt";
    CMessageRecorder recorder;
    Open();
    Type(IDC_LINES, "3");
    desktop_.files.push_back({tavui::to_wx(picked_file), elsewhere.path()});
    Press(IDC_BROWSE_SOURCE);
    EXPECT_EQ(std::filesystem::current_path(), dir_.path());
    desktop_.folders.push_back({tavui::to_wx(elsewhere.path()), elsewhere.path()});
    Press(IDC_BROWSE_DEST);
    EXPECT_EQ(std::filesystem::current_path(), dir_.path());
    EXPECT_EQ(Controls(), (Strings{picked_file, elsewhere.path(), "1024", "3"}));

    PressKey(WXK_ESCAPE);
    Destroy();
    EXPECT_EQ(SettingsText(), settings_text(picked_file, elsewhere.path(), "1024", "3"));
    EXPECT_FALSE(tavtest::exists(elsewhere / kIni));
}

TEST_F(DialogTest, GoCutsTheSourceAndShowsEveryNoticeInOrder) {
    write_file(Path("in.txt"), "one\r\ntwo\r\nthree\r\n");
    std::filesystem::create_directory(Path("out"));
    CMessageRecorder recorder;
    CSplitDlg& dialog = Open();
    Type(IDC_SOURCE, "in.txt");
    Type(IDC_DEST, "out");
    Type(IDC_KB, "");
    Type(IDC_LINES, "1");
    Press(IDC_GO);

    std::vector<ShownMessage> expected = {notice("0 1", "Get out", &dialog)};
    const std::string pieces = "out"s + tav::kPathSeparator + "tavendrillox";
    for (int n = 1; n <= 4; ++n) expected.push_back(notice(pieces + std::to_string(n) + ".txt", "Outfile", &dialog));
    EXPECT_EQ(recorder.messages, expected);
    EXPECT_EQ(read_file(Path("out/tavendrillox1.txt")), "one\r\n");
    EXPECT_EQ(read_file(Path("out/tavendrillox2.txt")), "two\r\n");
    EXPECT_EQ(read_file(Path("out/tavendrillox3.txt")), "three\r\n");
    EXPECT_EQ(read_file(Path("out/tavendrillox4.txt")), "");
    EXPECT_EQ(tavtest::count_entries(Path("out")), 4);
    // The fields are shown again, unchanged, and the dialog is still open.
    EXPECT_EQ(Controls(), (Strings{"in.txt", "out", "", "1"}));
    EXPECT_TRUE(dialog.IsShown());
}

TEST_F(DialogTest, GoWithIncompleteValuesShowsOnlyTheFirstProblem) {
    struct Case {
        Strings controls;  // SOURCE, DEST, KB, LINES
        std::string message;
    };
    const Case cases[] = {
        {{"", "", "", ""}, "Please enter a source file"},
        {{"in.txt", "", "1", ""}, "Please enter a destination file"},
        {{"in.txt", "out", "", ""}, "Please enter or select a number of lines or file size in KB"},
        {{"in.txt", "out", "1", "1"}, "Please enter or select a number of lines or file size in KB"},
        {{"in.txt", "out", " ", "1"}, "Please enter or select a number of lines or file size in KB"},
    };
    write_file(Path("in.txt"), "text\r\n");
    CSplitDlg& dialog = Open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message + " for \"" + c.controls[0] + "\", \"" + c.controls[1] + "\"");
        CMessageRecorder recorder;
        Type(IDC_SOURCE, c.controls[0]);
        Type(IDC_DEST, c.controls[1]);
        Type(IDC_KB, c.controls[2]);
        Type(IDC_LINES, c.controls[3]);
        Press(IDC_GO);
        EXPECT_EQ(recorder.messages, (std::vector<ShownMessage>{notice(c.message, "Error", &dialog)}));
        EXPECT_EQ(Controls(), c.controls);
    }
    EXPECT_FALSE(tavtest::exists(Path("out")));
}

TEST_F(DialogTest, OutOfMemoryEndsTheRunAndTheDialogStaysUsable) {
    Open();
    split_ = [](const tav::SplitSettings& s, tav::MessageSink& sink) {
        sink.show(s.source, "Outfile");
        throw std::bad_alloc();
    };
    Type(IDC_SOURCE, "big.txt");
    Type(IDC_DEST, "out");
    const wxString app_name = wxFileName(wxTheApp->argv[0]).GetName();
    wxTEST_DIALOG(Press(IDC_GO),
                  ExpectMessage("big.txt", "Outfile"),
                  ExpectMessage("Out of memory.", tavui::to_bytes(app_name),
                                wxOK | wxICON_EXCLAMATION | wxSTAY_ON_TOP));
    EXPECT_EQ(Controls(), (Strings{"big.txt", "out", "1024", ""}));

    // The next Go runs normally.
    split_ = [](const tav::SplitSettings& s, tav::MessageSink& sink) { sink.show(s.kb, "ran"); };
    wxTEST_DIALOG(Press(IDC_GO), ExpectMessage("1024", "ran"));
}

TEST_F(DialogTest, FailingSaveIsReportedByTheDialogsMessageBox) {
    // A folder where the settings file should be: it can be neither created nor written.
    std::filesystem::create_directory(Path(kIni));
    CMessageRecorder recorder;
    Open();
    EXPECT_EQ(Controls(), (Strings{"", "", "1024", ""}));
    EXPECT_TRUE(recorder.messages.empty());  // loading never reports anything
    CSplitDlg* dialog = dialog_.get();
    Press(IDC_QUIT);
    // Told while the dialog is still on screen, in a box it owns.
    EXPECT_EQ(recorder.messages, (std::vector<ShownMessage>{notice("Save to File", "Error Writing File", dialog)}));
    Destroy();
    EXPECT_EQ(recorder.messages.size(), 1u);
}

// A signal closes the dialog as its close box does; during a split it waits
// for the run, so that the run's boxes keep their owner, and the run shows no
// further box that would keep the close waiting.
TEST_F(DialogTest, ACloseRequestDuringASplitWaitsUntilTheRunReturns) {
    CMessageRecorder recorder;
    CSplitDlg& dialog = Open();
    Type(IDC_SOURCE, "in.txt");
    Type(IDC_DEST, "out");
    split_ = [&](const tav::SplitSettings&, tav::MessageSink& sink) {
        sink.show("before", "Outfile");
        dialog.Close();
        EXPECT_TRUE(dialog.IsShown());
        sink.show("after", "Outfile");
    };
    Press(IDC_GO);
    EXPECT_EQ(recorder.messages, (std::vector<ShownMessage>{notice("before", "Outfile", &dialog)}));
    EXPECT_FALSE(dialog.IsShown());
    EXPECT_EQ(dialog.GetReturnCode(), wxID_CANCEL);
    Destroy();
    EXPECT_EQ(SettingsText(), settings_text("in.txt", "out", "1024", ""));
}

TEST_F(DialogTest, ChoosersOpenWhereTheFieldsPoint) {
    write_file(Path("in.txt"), "");
    std::filesystem::create_directory(Path("out"));
    const wxString here = tavui::to_wx(dir_.path()), out = tavui::to_wx(Path("out"));
    struct Case {
        std::string field;  // typed into both SOURCE and DEST
        ChooserStart file;
        wxString folder;
    };
    const Case cases[] = {
        {"in.txt", {here, "in.txt"}, here},
        {Path("out"), {out, ""}, out},
        {"out/", {out, ""}, out},
        // Nothing there, or nothing typed: the current folder.
        {"missing/in.txt", {here, ""}, here},
        {"", {here, ""}, here},
    };
    CMessageRecorder recorder;
    Open();
    for (const Case& c : cases) {
        SCOPED_TRACE("field \"" + c.field + "\"");
        desktop_.starts.clear();
        Type(IDC_SOURCE, tavui::to_wx(c.field));
        Type(IDC_DEST, tavui::to_wx(c.field));
        desktop_.files.push_back({});
        Press(IDC_BROWSE_SOURCE);
        desktop_.folders.push_back({});
        Press(IDC_BROWSE_DEST);
        EXPECT_EQ(desktop_.starts, (std::vector<ChooserStart>{c.file, {c.folder, ""}}));
    }
}

// Help opens the web page the build names, or else the local help page,
// which F1 always opens (the test program's own sits next to it).
TEST_F(DialogTest, HelpOpensTheConfiguredWebPageOrTheLocalOneAndF1TheLocalOne) {
    const wxString local = local_help_url();
    const wxString web = "https://docs.example.net/tavendrillox/help.htm";
    for (const wxString& configured : {web, wxString()}) {
        SCOPED_TRACE(configured.utf8_string());
        CMessageRecorder recorder;
        desktop_.pages.clear();
        helpPageUrl_ = configured;
        Open();
        Type(IDC_KB, "");
        Type(IDC_LINES, "7");
        Press(IDC_HELP_PAGE);
        PressKey(WXK_F1);
        EXPECT_EQ(desktop_.pages, (std::vector<wxString>{configured.empty() ? local : web, local}));
        EXPECT_EQ(Controls(), (Strings{"", "", "", "7"}));
        EXPECT_TRUE(recorder.messages.empty());
    }
}

TEST_F(DialogTest, DroppingAFileSetsSourceAndAFolderSetsDest) {
    write_file(Path("dropped.txt"), "x");
    CMessageRecorder recorder;
    Open();
    Type(IDC_LINES, "4");  // typed text is kept
    auto* target = dynamic_cast<wxFileDropTarget*>(dialog_->GetDropTarget());
    ASSERT_NE(target, nullptr);
    wxArrayString files;
    files.push_back(tavui::to_wx(Path("dropped.txt")));
    EXPECT_TRUE(target->OnDropFiles(0, 0, files));
    wxArrayString folders;
    folders.push_back(tavui::to_wx(dir_.path()));
    EXPECT_TRUE(target->OnDropFiles(0, 0, folders));
    EXPECT_EQ(Controls(), (Strings{Path("dropped.txt"), dir_.path(), "1024", "4"}));
}

namespace {

// Checks the About box as the user sees it, then closes it with OK.
class ExpectAboutBox : public wxExpectModalBase<CAboutBox, ExpectAboutBox> {
protected:
    int OnInvoked(CAboutBox* box) const override {
        EXPECT_EQ(box->GetTitle(), "About Tavendrillox");
        auto* ok = dynamic_cast<wxButton*>(box->FindWindow(IDC_ABOUT_OK));
        EXPECT_TRUE(ok && ok->GetLabel() == "OK");
        EXPECT_EQ(box->GetAffirmativeId(), IDC_ABOUT_OK);
        bool has_name = false, has_icon = false;
        for (wxWindow* child : box->GetChildren()) {
            if (auto* text = dynamic_cast<wxStaticText*>(child)) {
                has_name |= text->GetLabelText() == "Tavendrillox Version 1.0";
            }
            if (auto* bitmap = dynamic_cast<wxStaticBitmap*>(child)) {
                has_icon |= bitmap->GetBitmap().GetWidth() == 32;
            }
        }
        EXPECT_TRUE(has_name);
        EXPECT_TRUE(has_icon);
        // F1 over the box asks for the help page's About section.
        wxKeyEvent f1(wxEVT_CHAR_HOOK);
        f1.m_keyCode = WXK_F1;
        box->ProcessWindowEvent(f1);
        return IDC_ABOUT_OK;
    }
};

}  // namespace

// The entry comes last, after a separator that parts it from the system's own.
TEST_F(DialogTest, TheSystemMenuEndsWithTheAboutEntryWhichShowsTheAboutBox) {
    CSplitDlg& dialog = Open();
    const wxMenu& menu = dialog.SystemMenu();
    const size_t count = menu.GetMenuItemCount();
    ASSERT_GE(count, 1u);
    EXPECT_EQ(menu.FindItemByPosition(count - 1)->GetId(), 0x0010);
    EXPECT_EQ(menu.FindItemByPosition(count - 1)->GetItemLabel(), "&About Tavendrillox...");
    if (count > 1) {
        EXPECT_TRUE(menu.FindItemByPosition(count - 2)->IsSeparator());
    }

    // The low four bits of a system command are the system's own.
    for (const int command : {0x0010, 0x0013}) {
        wxCommandEvent choose(wxEVT_MENU, command);
        wxTEST_DIALOG(dialog.ProcessWindowEvent(choose), ExpectAboutBox());
    }
    EXPECT_EQ(desktop_.pages, std::vector<wxString>(2, local_help_url() + "#about"));
    // Any other command is none of the dialog's business.
    CMessageRecorder recorder;
    wxCommandEvent other(wxEVT_MENU, 0x0020);
    EXPECT_FALSE(dialog.ProcessWindowEvent(other));
    EXPECT_TRUE(recorder.messages.empty());
}

// Every control sits where the template puts it, in proportion, and every
// label's text fits in its width with the system's font.
TEST_F(DialogTest, LayoutFollowsTheTemplateAndLabelsAreNotClipped) {
    CSplitDlg& dialog = Open();
    // The font the template was drawn for, where the system has it (Windows and Wine do).
    if (wxFontEnumerator::IsValidFacename("MS Sans Serif")) {
        EXPECT_EQ(dialog.GetFont().GetFaceName(), "MS Sans Serif");
        EXPECT_EQ(dialog.GetFont().GetPointSize(), 8);
    }
    const wxRect quit = Button(IDC_QUIT).GetRect();
    const wxRect source = Edit(IDC_SOURCE).GetRect();
    const wxRect browse = Button(IDC_BROWSE_SOURCE).GetRect();
    const wxRect dest = Edit(IDC_DEST).GetRect();
    const wxRect kb = Edit(IDC_KB).GetRect();
    // Source edit: 68, 7, 105 x 14; Browse right after it at 174; Quit at 263 of 320.
    EXPECT_NEAR(source.x * 320.0 / dialog.GetClientSize().x, 68, 1);
    EXPECT_NEAR(quit.x * 320.0 / dialog.GetClientSize().x, 263, 1);
    EXPECT_LE(source.GetRight(), browse.x);
    EXPECT_EQ(source.x, dest.x);
    EXPECT_EQ(source.height, dest.height);
    EXPECT_NEAR(dest.y - source.y, source.height, 1);  // rows 14 units apart, 14 units high
    EXPECT_NEAR(kb.x + kb.width, browse.x + browse.width, 1);  // both end at 204
    for (wxWindow* child : dialog.GetChildren()) {
        EXPECT_TRUE(dialog.GetClientRect().Contains(child->GetRect())) << child->GetLabel();
        if (auto* label = dynamic_cast<wxStaticText*>(child)) {
            EXPECT_LE(label->GetTextExtent(label->GetLabelText()).x, label->GetSize().x) << label->GetLabelText();
        }
    }
    // Tab order: Quit first, then the edits and buttons in template order.
    std::vector<int> order;
    for (wxWindow* child : dialog.GetChildren())
        if (child->CanAcceptFocus()) order.push_back(child->GetId());
    EXPECT_EQ(order, (std::vector<int>{IDC_QUIT, IDC_SOURCE, IDC_DEST, IDC_BROWSE_SOURCE, IDC_BROWSE_DEST,
                                       IDC_HELP_PAGE, IDC_GO, IDC_LINES, IDC_KB}));
}
