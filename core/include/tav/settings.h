// Remembers the four field values between uses of the program, in a small
// text file of KEY=value lines.
#pragma once

#include <string>
#include <utility>

namespace tav {

class MessageSink;
class StopRequest;
struct SplitSettings;

class SettingsFile {
public:
    static constexpr const char* kFileName = "tavendrillox.ini";

    // path: where the file lives; by default the bare name, so it follows the
    // current directory.
    explicit SettingsFile(std::string path = kFileName) : path_(std::move(path)) {}

    // Fills the values the file has (creating an empty file when there is
    // none), then KB defaults to "1024" if both KB and LINES are empty.
    // Never tells the user anything.
    void load(SplitSettings& settings) const;

    // A save that must write to another program (the file is a FIFO) and
    // waits for it gives up once `stop` is requested, as a failed save.
    SettingsFile& stop_on(const StopRequest& stop) {
        stop_ = &stop;
        return *this;
    }

    // Rewrites the whole file. A failure is reported; the old file then stays
    // whole wherever the folder lets a new one replace it in a single step.
    void save(const SplitSettings& settings, MessageSink& sink) const;

private:
    std::string path_;
    const StopRequest* stop_ = nullptr;
};

}  // namespace tav
