// A MessageSink that remembers every message, in order.
#pragma once

#include "messagesink.h"

#include <ostream>
#include <string>
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

class RecordingSink : public tav::MessageSink {
public:
    void show(const std::string& text, const std::string& caption) override { messages.push_back({text, caption}); }
    std::vector<Message> messages;
};

}  // namespace tavtest
