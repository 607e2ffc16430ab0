// Starts the real program in a fresh folder (under Wine on Linux) and works it
// with real key presses, finding its windows by their captions, as a user
// would. It needs the keyboard to itself: nothing else may take the focus.
#include "support/dialogtemplate_msw.h"
#include "support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

// The program, next to this test program in the build tree.
std::string program_path() {
    char self[MAX_PATH];
    std::string dir(self, ::GetModuleFileNameA(nullptr, self, MAX_PATH));
    return dir.erase(dir.find_last_of('\\') + 1) + TAV_PROGRAM;
}

std::string window_text(HWND window) {
    char text[1024];
    return std::string(text, static_cast<size_t>(::GetWindowTextA(window, text, sizeof text)));
}

// Polls `find` for up to 20 seconds; the window it found, or null.
template <class Find>
HWND wait_for(Find find) {
    for (int i = 0; i < 400; ++i, ::Sleep(50))
        if (const HWND window = find()) return window;
    return nullptr;
}

// Presses and releases `key`, holding `modifier` (a virtual key) if given.
void press(BYTE key, BYTE modifier = 0) {
    if (modifier != 0) ::keybd_event(modifier, 0, 0, 0);
    ::keybd_event(key, 0, 0, 0);
    ::keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
    if (modifier != 0) ::keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
    ::Sleep(100);  // let the program take it in before the next one
}

// Sets a registry value for the life of the object, then puts back what
// was there before, or nothing (name: null for the key's default value).
class CRegistryValue {
public:
    CRegistryValue(HKEY root, std::string key, const char* name, DWORD type, const void* data, DWORD size)
        : root_(root), key_(std::move(key)), name_(name) {
        DWORD had_size = sizeof previous_;
        if (::RegGetValueA(root_, key_.c_str(), name_, RRF_RT_ANY | RRF_NOEXPAND, &type_, previous_, &had_size) ==
            ERROR_SUCCESS)
            size_ = had_size;
        EXPECT_EQ(::RegSetKeyValueA(root_, key_.c_str(), name_, type, data, size), ERROR_SUCCESS) << key_;
    }
    CRegistryValue(HKEY root, std::string key, const char* name, const std::string& text)
        : CRegistryValue(root, std::move(key), name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1)) {}
    ~CRegistryValue() {
        if (size_)
            ::RegSetKeyValueA(root_, key_.c_str(), name_, type_, previous_, *size_);
        else
            ::RegDeleteKeyValueA(root_, key_.c_str(), name_);
    }
    CRegistryValue(const CRegistryValue&) = delete;
    CRegistryValue& operator=(const CRegistryValue&) = delete;

private:
    HKEY root_;
    std::string key_;
    const char* name_;
    DWORD type_ = 0;
    BYTE previous_[2048];
    std::optional<DWORD> size_;  // of the previous value, if there was one
};

class ProgramTest : public testing::Test {
protected:
    // Rectangles in the program's own pixels, whatever the display scale.
    ProgramTest() { ::SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2); }
    ~ProgramTest() override { Stop(); }

    void Stop() {
        if (process_.hProcess == nullptr) return;
        ::TerminateProcess(process_.hProcess, 1);
        ::WaitForSingleObject(process_.hProcess, 20000);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
        process_ = {};
    }

    // The program's window that has the focus, if `wanted` says it is the one.
    template <class Wanted>
    HWND Focused(Wanted wanted) const {
        const HWND window = ::GetForegroundWindow();
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        return pid == process_.dwProcessId && wanted(window) ? window : nullptr;
    }
    HWND WaitForFocus(const std::string& caption) const {
        return wait_for([&] { return Focused([&](HWND w) { return window_text(w) == caption; }); });
    }

    // Starts the program in the test's folder; its dialog, once it has the focus.
    HWND Start() {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = '"' + program_path() + '"';
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir_.path().c_str(),
                              &startup, &process_))
            return nullptr;
        return WaitForFocus("Tavendrillox");
    }

    // About is the system menu's last entry (Wine adds an About of its own before it).
    HWND OpenAboutBox() const {
        press(VK_SPACE, VK_MENU);
        press(VK_END);
        press(VK_RETURN);
        return WaitForFocus("About Tavendrillox");
    }

    // The control that has the keyboard focus in the program.
    HWND FocusedControl() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(process_.dwThreadId, &info);
        return info.hwndFocus;
    }

    // Answers the next message box with Enter; its caption and text.
    std::string AnswerMessageBox() const {
        const HWND box = wait_for([&] {
            return Focused([](HWND w) {
                char name[16];
                return ::GetClassNameA(w, name, sizeof name) && std::string(name) == "#32770";
            });
        });
        if (box == nullptr) return "(no message box)";
        char text[1024];
        const UINT length = ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text control
        const std::string shown = window_text(box) + ": " + std::string(text, length);
        press(VK_RETURN);
        wait_for([&] { return ::IsWindow(box) ? nullptr : box; });
        return shown;
    }

    tavtest::TempDir dir_;
    PROCESS_INFORMATION process_{};
};

// Names in the ANSI code page (0xE9 is "é" in code page 1252) go from the
// settings file through the dialog into the core and back unchanged.
TEST_F(ProgramTest, GoAboutAndEnterAllByKeyboard) {
    const std::string source = "caf\xe9.txt", dest = "d\xe9st";
    ASSERT_TRUE(::CreateDirectoryA((dir_ / dest).c_str(), nullptr));
    tavtest::write_file(dir_ / source, "one\r\ntwo\r\nthree\r\n");
    const std::string settings = tavtest::settings_text(source, dest, "", "2");
    tavtest::write_file(dir_ / "tavendrillox.ini", settings);

    const HWND dialog = Start();
    ASSERT_NE(dialog, nullptr) << "the dialog did not get the focus";

    // The focus starts on Quit; Go is the sixth tab stop after it.
    for (int i = 0; i < 6; ++i) press(VK_TAB);
    press(VK_SPACE);
    std::vector<std::string> boxes;
    for (int i = 0; i < 3; ++i) boxes.push_back(AnswerMessageBox());
    EXPECT_EQ(boxes, (std::vector<std::string>{"Get out: 0 2", "Outfile: " + dest + "\\tavendrillox1.txt",
                                               "Outfile: " + dest + "\\tavendrillox2.txt"}));
    EXPECT_EQ(tavtest::read_file(dir_ / dest + "\\tavendrillox1.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(tavtest::read_file(dir_ / dest + "\\tavendrillox2.txt"), "three\r\n");
    EXPECT_EQ(tavtest::count_entries(dir_ / dest), 2);
    ASSERT_EQ(WaitForFocus("Tavendrillox"), dialog);

    EXPECT_NE(OpenAboutBox(), nullptr) << "no About box after Alt+Space, End, Enter";
    press(VK_RETURN);  // OK
    ASSERT_EQ(WaitForFocus("Tavendrillox"), dialog);

    // Enter in an edit control is Quit: the settings are saved as shown.
    press(VK_TAB);
    press(VK_RETURN);
    ASSERT_EQ(::WaitForSingleObject(process_.hProcess, 20000), WAIT_OBJECT_0);
    DWORD status = 1;
    ::GetExitCodeProcess(process_.hProcess, &status);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(tavtest::read_file(dir_ / "tavendrillox.ini"), settings);
}

// A request to end (WM_CLOSE, as taskkill sends it; the session ending)
// takes away whatever is open over the dialog, saves the values it last read
// and ends the program with status 0. Once WM_ENDSESSION is answered,
// Windows may end the process at any moment: the test then ends it itself,
// so the save must be done by then.
TEST_F(ProgramTest, ARequestToEndIsHonouredWhateverIsOpen) {
    // Line breaks that a save would write as CR LF: the file shows a save.
    const std::string loaded = "SOURCE=src.txt\nDEST=out\nLINES=1\n";
    // From Quit, Tab n times and Space: the third tab stop is the source's
    // Browse, the sixth Go.
    const auto press_button = [&](int tabs, const char* caption) {
        for (int i = 0; i < tabs; ++i) press(VK_TAB);
        press(VK_SPACE);
        return WaitForFocus(caption) != nullptr;
    };
    const std::pair<const char*, std::function<bool()>> opened[] = {
        {"nothing", [] { return true; }},
        {"the file chooser", [&] { return press_button(3, "Open"); }},
        {"the About box", [&] { return OpenAboutBox() != nullptr; }},
        {"a notice", [&] { return press_button(6, "Get out"); }},
    };
    for (const bool session : {false, true}) {
        for (const auto& [what, open] : opened) {
            SCOPED_TRACE(std::string(session ? "the session ends" : "WM_CLOSE") + " with " + what + " open");
            tavtest::write_file(dir_ / "tavendrillox.ini", loaded);
            const HWND dialog = Start();
            ASSERT_NE(dialog, nullptr) << "the dialog did not get the focus";
            ASSERT_TRUE(open());
            const DWORD asked = ::GetTickCount();
            DWORD_PTR answer = 0;
            if (session) {
                EXPECT_NE(::SendMessageTimeoutA(dialog, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000,
                                                &answer),
                          0);
                EXPECT_EQ(answer, TRUE);
                ::SendMessageTimeoutA(dialog, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_NORMAL, 5000, &answer);
                ::TerminateProcess(process_.hProcess, 1);
            } else {
                ::PostMessageA(dialog, WM_CLOSE, 0, 0);
            }
            ASSERT_EQ(::WaitForSingleObject(process_.hProcess, 20000), WAIT_OBJECT_0);
            std::printf("[ %s ] ended after %lu ms\n", what, ::GetTickCount() - asked);
            DWORD status = 1;
            ::GetExitCodeProcess(process_.hProcess, &status);
            EXPECT_EQ(status, 0u);
            EXPECT_EQ(tavtest::read_file(dir_ / "tavendrillox.ini"),
                      tavtest::settings_text("src.txt", "out", "", "1"));
            Stop();
        }
    }
}

// Both dialogs as their templates make them (places, ids, styles) with the
// base units of their font, MS Sans Serif 8 points, at Wine's display
// scales of 100 % and 150 %: the program draws at the display's scale
// itself, and its layout follows the font.
TEST_F(ProgramTest, DialogsAreAsTheirTemplatesAtEveryScale) {
    EXPECT_EQ(std::make_pair(tavtest::base_units(96).cx, tavtest::base_units(96).cy), std::make_pair(6L, 13L));
    for (const DWORD dpi : {96u, 144u}) {
        SCOPED_TRACE(std::to_string(dpi) + " pixels per inch");
        const CRegistryValue scale(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", REG_DWORD, &dpi,
                                   sizeof dpi);
        const HWND dialog = Start();
        ASSERT_NE(dialog, nullptr) << "the dialog did not get the focus";
        EXPECT_EQ(tavtest::template_differences(dialog, tavtest::kMainDialogTemplate, dpi), "");
        const HWND about = OpenAboutBox();
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(tavtest::template_differences(about, tavtest::kAboutBoxTemplate, dpi), "");
        Stop();
    }
}

// Tab goes through every control; an arrow key goes round the focused
// control's group, never to a label, as in a dialog box.
TEST_F(ProgramTest, ArrowKeysKeepToTheTemplatesGroups) {
    ASSERT_NE(Start(), nullptr) << "the dialog did not get the focus";
    const std::pair<BYTE, int> steps[] = {
        {VK_DOWN, 1},  // Quit's group is itself and the last label
        {VK_TAB, 1000}, {VK_DOWN, 1000},  // an edit control keeps the arrow keys
        {VK_TAB, 1001}, {VK_TAB, 1002}, {VK_DOWN, 1003}, {VK_RIGHT, 1004}, {VK_DOWN, 1006},
        {VK_DOWN, 1006},  // round to the group's label, which takes no focus
        {VK_UP, 1004},    {VK_LEFT, 1003},
    };
    for (const auto& [key, id] : steps) {
        press(key);
        EXPECT_EQ(::GetDlgCtrlID(FocusedControl()), id) << "after key " << int{key};
    }
}

// F1 over the About box opens the help page at its About section, through
// the program registered for pages, which gets the whole address.
TEST_F(ProgramTest, F1OverTheAboutBoxOpensTheAboutSection) {
    const std::string opened = dir_ / "opened.txt", page_class = "TavendrilloxTest.Page";
    {
        // Where Wine 8 looks for it (it does not read HKCU\Software\Classes).
        const CRegistryValue html(HKEY_CLASSES_ROOT, ".html", nullptr, page_class);
        const CRegistryValue open(HKEY_CLASSES_ROOT, page_class + "\\shell\\open\\command", nullptr,
                                  "cmd.exe /c echo \"%1\">\"" + opened + "\"");
        ASSERT_NE(Start(), nullptr) << "the dialog did not get the focus";
        ASSERT_NE(OpenAboutBox(), nullptr);
        press(VK_F1);
        for (int i = 0; i < 400 && !tavtest::exists(opened); ++i) ::Sleep(50);
        ::Sleep(500);  // for the whole line
    }
    ::RegDeleteTreeA(HKEY_CLASSES_ROOT, page_class.c_str());

    char full_path[MAX_PATH];
    std::string page(full_path, ::GetFullPathNameA(program_path().c_str(), MAX_PATH, full_path, nullptr));
    page.replace(page.find_last_of('\\') + 1, std::string::npos, "tavendrillox.html");
    std::replace(page.begin(), page.end(), '\\', '/');
    EXPECT_EQ(tavtest::read_file(opened), "\"file:///" + page + "#about\"\r\n");
}

// What Explorer shows of the program file: its icon and its version data.
TEST(ProgramFile, CarriesItsIconAndVersionData) {
    const std::string program = program_path();
    const HMODULE module = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << program;
    for (const int size : {16, 32}) {
        const auto icon = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(128), IMAGE_ICON, size, size, 0));
        ICONINFO info{};
        BITMAP mask{};
        ASSERT_TRUE(icon && ::GetIconInfo(icon, &info)) << size;
        ::GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, size);
    }
    ::FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<char> data(::GetFileVersionInfoSizeA(program.c_str(), &ignored));
    ASSERT_TRUE(::GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(std::vector<DWORD>({fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS}),
              std::vector<DWORD>({0x10000, 1, 0x10000, 1}));  // 1.0.0.1
    const std::pair<const char*, const char*> strings[] = {
        {"CompanyName", ""}, {"FileDescription", "Tavendrillox MFC Application"}, {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "Tavendrillox"}, {"LegalTrademarks", ""}, {"OriginalFilename", "Tavendrillox.EXE"},
        {"ProductName", "Tavendrillox Application"}, {"ProductVersion", "1, 0, 0, 1"},
    };
    for (const auto& [name, expected] : strings) {
        char* value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(::VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
        EXPECT_STREQ(length ? value : "", expected) << name;
    }
}

}  // namespace
