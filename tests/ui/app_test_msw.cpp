// Starts the real program in a fresh folder (under Wine on Linux) and works it
// with real key presses, finding its windows by their captions, as a user
// would. It needs the keyboard to itself: nothing else may take the focus.
#include "support/files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::string settings_text(const std::string& source, const std::string& dest, const std::string& kb,
                          const std::string& lines) {
    return "CREATOR=TAVENDRILLOX 1.0\r\nSOURCE=" + source + "\r\nDEST=" + dest + "\r\nKB=" + kb + "\r\nLINES=" +
           lines + "\r\n\r\n";
}

// The program, next to this test program in the build tree.
std::string program_path() {
    char self[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self, n);
    dir.erase(dir.find_last_of('\\') + 1);
    return dir + TAV_PROGRAM;
}

std::string window_text(HWND window) {
    char text[1024];
    return std::string(text, static_cast<size_t>(::GetWindowTextA(window, text, sizeof text)));
}

std::string class_name(HWND window) {
    char name[256];
    return std::string(name, static_cast<size_t>(::GetClassNameA(window, name, sizeof name)));
}

// Polls `find` for up to 20 seconds; the window it found, or null.
template <class Find>
HWND wait_for(Find find) {
    for (int i = 0; i < 400; ++i) {
        if (const HWND window = find()) return window;
        ::Sleep(50);
    }
    return nullptr;
}

// Presses and releases `key`, holding `modifier` (a virtual key) if given.
void press(WORD key, WORD modifier = 0) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    if (modifier != 0) add(modifier, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (modifier != 0) add(modifier, KEYEVENTF_KEYUP);
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    ::Sleep(100);  // let the program take it in before the next one
}

// One message box as the user saw it.
struct Box {
    std::string caption;
    std::string text;
    friend bool operator==(const Box&, const Box&) = default;
};

void PrintTo(const Box& box, std::ostream* os) { *os << '"' << box.caption << "\": \"" << box.text << '"'; }

class ProgramTest : public testing::Test {
protected:
    ~ProgramTest() override {
        if (process_.hProcess != nullptr) {
            ::TerminateProcess(process_.hProcess, 1);
            ::CloseHandle(process_.hProcess);
            ::CloseHandle(process_.hThread);
        }
    }

    // Starts the program in `folder`; its main dialog once it has the focus.
    HWND Start(const std::string& folder) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string command = '"' + program_path() + '"';
        if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                              &process_))
            return nullptr;
        return wait_for([&] { return Foreground("Tavendrillox"); });
    }

    // The program's window that has the focus, if it has this caption.
    HWND Foreground(const std::string& caption) const {
        const HWND window = ::GetForegroundWindow();
        DWORD pid = 0;
        ::GetWindowThreadProcessId(window, &pid);
        return pid == process_.dwProcessId && window_text(window) == caption ? window : nullptr;
    }

    // Answers the next message box with Enter once it has the focus.
    Box AnswerMessageBox() const {
        const HWND box = wait_for([&] {
            const HWND window = ::GetForegroundWindow();
            DWORD pid = 0;
            ::GetWindowThreadProcessId(window, &pid);
            return pid == process_.dwProcessId && class_name(window) == "#32770" ? window : nullptr;
        });
        if (box == nullptr) return {"(no message box)", ""};
        char text[1024];
        const UINT length = ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);  // the box's text control
        Box shown{window_text(box), std::string(text, length)};
        press(VK_RETURN);
        wait_for([&] { return ::IsWindow(box) ? nullptr : box; });
        return shown;
    }

    // The program's exit status, or -1 if it has not ended within a while.
    int WaitForExit() {
        if (::WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) return -1;
        DWORD status = 0;
        ::GetExitCodeProcess(process_.hProcess, &status);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
        process_ = {};
        return static_cast<int>(status);
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
    const std::string settings = settings_text(source, dest, "", "2");
    tavtest::write_file(dir_ / "tavendrillox.ini", settings);

    const HWND dialog = Start(dir_.path());
    ASSERT_NE(dialog, nullptr) << "the dialog did not get the focus";
    // The focus starts on Quit; Go is the sixth tab stop after it.
    for (int i = 0; i < 6; ++i) press(VK_TAB);
    press(VK_SPACE);
    std::vector<Box> boxes;
    for (int i = 0; i < 3; ++i) boxes.push_back(AnswerMessageBox());
    EXPECT_EQ(boxes, (std::vector<Box>{{"Get out", "0 2"},
                                       {"Outfile", dest + "\\tavendrillox1.txt"},
                                       {"Outfile", dest + "\\tavendrillox2.txt"}}));
    EXPECT_EQ(tavtest::read_file(dir_ / dest + "\\tavendrillox1.txt"), "one\r\ntwo\r\n");
    EXPECT_EQ(tavtest::read_file(dir_ / dest + "\\tavendrillox2.txt"), "three\r\n");
    EXPECT_EQ(tavtest::count_entries(dir_ / dest), 2);
    ASSERT_EQ(wait_for([&] { return Foreground("Tavendrillox"); }), dialog);

    // About is the system menu's last entry (Wine adds an About of its own before it).
    press(VK_SPACE, VK_MENU);
    press(VK_END);
    press(VK_RETURN);
    const HWND about = wait_for([&] { return Foreground("About Tavendrillox"); });
    EXPECT_NE(about, nullptr) << "no About box after Alt+Space, End, Enter";
    press(VK_RETURN);  // OK
    ASSERT_EQ(wait_for([&] { return Foreground("Tavendrillox"); }), dialog);

    // Enter in an edit control is Quit: the settings are saved as shown.
    press(VK_TAB);
    press(VK_RETURN);
    EXPECT_EQ(WaitForExit(), 0);
    EXPECT_EQ(tavtest::read_file(dir_ / "tavendrillox.ini"), settings);
}

// Explorer shows these: the icon and the version data.
TEST(ProgramFile, CarriesItsIconAndVersionData) {
    const std::string program = program_path();
    const HMODULE module = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << program;
    EXPECT_NE(::FindResourceA(module, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14 /* RT_GROUP_ICON */)), nullptr);
    for (const int size : {16, 32}) {
        const HICON icon = static_cast<HICON>(::LoadImageA(module, MAKEINTRESOURCEA(128), IMAGE_ICON, size, size, 0));
        ICONINFO info{};
        BITMAP bitmap{};
        ASSERT_TRUE(icon && ::GetIconInfo(icon, &info)) << size;
        ::GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        ::DeleteObject(info.hbmMask);
        ::DeleteObject(info.hbmColor);
        ::DestroyIcon(icon);
    }
    ::FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<char> data(::GetFileVersionInfoSizeA(program.c_str(), &ignored));
    ASSERT_FALSE(data.empty());
    ASSERT_TRUE(::GetFileVersionInfoA(program.c_str(), 0, static_cast<DWORD>(data.size()), data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    const std::pair<const char*, const char*> strings[] = {
        {"CompanyName", ""},
        {"FileDescription", "Tavendrillox MFC Application"},
        {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "Tavendrillox"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "Tavendrillox.EXE"},
        {"ProductName", "Tavendrillox Application"},
        {"ProductVersion", "1, 0, 0, 1"},
    };
    for (const auto& [name, expected] : strings) {
        char* value = nullptr;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        ASSERT_TRUE(::VerQueryValueA(data.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) << name;
        EXPECT_STREQ(length ? value : "", expected) << name;
    }
}

}  // namespace
