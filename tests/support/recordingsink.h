// A MessageSink that remembers every message, in order.
#pragma once

#include "tav/messagesink.h"

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tavtest {

struct Message {
    std::string text;
    std::string caption;
    friend bool operator==(const Message&, const Message&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Message& m) {
        return os << '"' << m.text << "\" / \"" << m.caption << '"';
    }
};

// What a run says of a piece it could not write, and a save of the settings
// file that failed.
inline const Message kWriteError{"Could not write to log file", "Error Log"};
inline const Message kSaveError{"Save to File", "Error Writing File"};

class RecordingSink : public tav::MessageSink {
public:
    void show(const std::string& text, const std::string& caption) override { messages.push_back({text, caption}); }
    std::vector<Message> messages;
};

// A RecordingSink that also lets a test act at a given moment of a run, e.g.
// take the destination away when a piece's "Outfile" notice shows.
class HookedSink : public RecordingSink {
public:
    explicit HookedSink(std::function<void(const Message&)> hook) : hook_(std::move(hook)) {}
    void show(const std::string& text, const std::string& caption) override {
        RecordingSink::show(text, caption);
        hook_(messages.back());
    }

private:
    std::function<void(const Message&)> hook_;
};

}  // namespace tavtest
