#include "support/scripteddesktop.h"

#include <gtest/gtest.h>

std::optional<wxString> CScriptedDesktop::Next(std::deque<Answer>& answers, wxWindow* owner) {
    owners.push_back(owner);
    if (answers.empty()) {
        ADD_FAILURE() << "a chooser was shown that the test did not script";
        return std::nullopt;
    }
    Answer answer = std::move(answers.front());
    answers.pop_front();
    if (!answer.wander_to.empty()) std::filesystem::current_path(answer.wander_to);
    return answer.path;
}
