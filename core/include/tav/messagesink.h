// How the program's logic tells the user something: one modal message with a
// text, a caption and a single OK button, returning once it is dismissed.
#pragma once

#include <string>

namespace tav {

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void show(const std::string& text, const std::string& caption) = 0;
};

// Tells nobody anything: for where no person is there to be told.
class SilentSink final : public MessageSink {
public:
    void show(const std::string&, const std::string&) override {}
};

}  // namespace tav
