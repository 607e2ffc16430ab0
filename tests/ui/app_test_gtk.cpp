// Starts the real program in a fresh folder on the test display and works it
// with real key presses (xdotool), as a user would.
#include "support/files.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using tavtest::settings_text;

class ProgramTest : public testing::Test {
protected:
    ~ProgramTest() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    // Starts the program with `folder` as its current directory and waits for
    // its dialog; returns the dialog's window id.
    std::string Start(const std::string& folder) {
        // TAV_PROGRAM in the environment names another build of the program,
        // such as an installed one.
        const char* program = std::getenv("TAV_PROGRAM");
        if (program == nullptr || *program == '\0') program = TAV_PROGRAM;
        const char* argv[] = {"sh", "-c", "cd -- \"$1\" && exec \"$2\"", "sh", folder.c_str(), program, nullptr};
        if (::posix_spawnp(&pid_, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = 0;
        if (pid_ <= 0) return {};
        const std::string window =
            Xdotool("search --sync --onlyvisible --pid " + std::to_string(pid_) + " --name '^Tavendrillox$'");
        if (!window.empty()) Xdotool("windowfocus --sync " + window);
        return window;
    }

    // The program's exit status, or -1 if it has not ended within a while.
    int WaitForExit() {
        for (int i = 0; i < 200; ++i) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }

    // Runs xdotool with these arguments; its first output line.
    static std::string Xdotool(const std::string& args) {
        const std::string command = "timeout 20 xdotool " + args + " 2>/dev/null";
        FILE* out = ::popen(command.c_str(), "r");
        if (out == nullptr) return {};
        std::array<char, 256> line{};
        std::string first;
        if (std::fgets(line.data(), line.size(), out) != nullptr) first = line.data();
        ::pclose(out);
        while (!first.empty() && (first.back() == '\n' || first.back() == '\r')) first.pop_back();
        return first;
    }

    tavtest::TempDir dir_;
    pid_t pid_ = 0;
};

TEST_F(ProgramTest, EnterSavesWhatWasTypedAndTheProgramEndsWithZero) {
    ASSERT_FALSE(Start(dir_.path()).empty()) << "the dialog did not appear (is xdotool installed?)";
    Xdotool("key Tab");  // from Quit to the source field
    Xdotool("type --delay 10 typed.txt");
    Xdotool("key Return");
    ASSERT_EQ(WaitForExit(), 0);
    EXPECT_EQ(tavtest::read_file(dir_ / "tavendrillox.ini"), settings_text("typed.txt", "", "1024", ""));
}

// Esc keeps the values as loaded: those of the settings file, or on a first
// start the defaults, written to a new one.
TEST_F(ProgramTest, EscLeavesTheLoadedValuesAndTheProgramEndsWithZero) {
    const std::string saved = settings_text("in.txt", "out", "", "10");
    for (const std::string& before : {std::string(), saved}) {
        SCOPED_TRACE(before.empty() ? "first start" : "with a settings file");
        const tavtest::TempDir dir;
        if (!before.empty()) tavtest::write_file(dir / "tavendrillox.ini", before);
        ASSERT_FALSE(Start(dir.path()).empty()) << "the dialog did not appear (is xdotool installed?)";
        Xdotool("key Tab");
        Xdotool("type --delay 10 ignored");
        Xdotool("key Escape");
        ASSERT_EQ(WaitForExit(), 0);
        const std::string after = before.empty() ? settings_text("", "", "1024", "") : saved;
        EXPECT_EQ(tavtest::read_file(dir / "tavendrillox.ini"), after);
    }
}

// Ctrl+C, the session ending or the terminal going away close the dialog as
// its close box would, even in the middle of a split that would never end:
// a source without end, one whose reads wait for ever, or a notice that
// nobody answers.
TEST_F(ProgramTest, SignalsCloseTheDialogWithinAMomentAndTheSettingsAreSaved) {
    enum class During { Nothing, EndlessSource, WaitingSource, Notice };
    const struct {
        int signal;
        During during;
    } rows[] = {{SIGTERM, During::Nothing},       {SIGINT, During::Nothing},
                {SIGHUP, During::Nothing},        {SIGTERM, During::EndlessSource},
                {SIGHUP, During::EndlessSource},  {SIGINT, During::WaitingSource},
                {SIGTERM, During::Notice}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(strsignal(row.signal)) + " during " + std::to_string(static_cast<int>(row.during)));
        const tavtest::TempDir dir;
        std::string expected = settings_text("", "", "1024", "");
        int writer = -1;
        if (row.during != During::Nothing) {
            // Piece 1 leads to /dev/null, so that an endless source fills no disk.
            std::string source = "/dev/zero";
            if (row.during == During::WaitingSource) {
                source = dir / "fifo";
                ::mkfifo(source.c_str(), 0600);
                writer = ::open(source.c_str(), O_RDWR | O_CLOEXEC);  // a writer that sends nothing
            }
            ::mkdir((dir / "out").c_str(), 0755);
            ::symlink("/dev/null", (dir / "out/tavendrillox1.txt").c_str());
            expected = settings_text(source, "out", "", "1");
            tavtest::write_file(dir / "tavendrillox.ini", expected);
        }
        ASSERT_FALSE(Start(dir.path()).empty()) << "the dialog did not appear (is xdotool installed?)";
        if (row.during != During::Nothing) {
            Xdotool("key Tab Tab Tab Tab Tab Tab space");  // from Quit to Go
            // A piece is begun only once the source has given something.
            for (const char* notice : {"Get out", "Outfile"}) {
                if (row.during != During::EndlessSource && std::string(notice) == "Outfile") break;
                const std::string box = Xdotool(std::string("search --sync --onlyvisible --name '^") + notice + "$'");
                ASSERT_FALSE(box.empty()) << notice;
                if (row.during != During::Notice) Xdotool("windowfocus --sync " + box + " key Return");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        const auto signalled = std::chrono::steady_clock::now();
        ASSERT_EQ(::kill(pid_, row.signal), 0);
        ASSERT_EQ(WaitForExit(), 0);
        EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(3));
        EXPECT_EQ(tavtest::read_file(dir / "tavendrillox.ini"), expected);
        if (writer >= 0) ::close(writer);
    }
}

}  // namespace
