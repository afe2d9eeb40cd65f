#include "platform/ScriptedUserInterface.h"

namespace tarn::platform {

std::vector<std::string> ScriptedUserInterface::Texts(Kind kind) const {
    std::vector<std::string> texts;
    for (const Box& box : boxes_)
        if (box.kind == kind) texts.push_back(box.text);
    return texts;
}

bool ScriptedUserInterface::NextAnswer() {
    if (answers_.empty()) return defaultAnswer_;
    bool answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void ScriptedUserInterface::Inform(const std::string& caption, const std::string& text) {
    boxes_.push_back({Kind::Inform, caption, text, false});
}

void ScriptedUserInterface::Error(const std::string& caption, const std::string& text) {
    boxes_.push_back({Kind::Error, caption, text, false});
}

bool ScriptedUserInterface::Confirm(const std::string& caption, const std::string& text) {
    bool answer = NextAnswer();
    boxes_.push_back({Kind::Confirm, caption, text, answer});
    return answer;
}

bool ScriptedUserInterface::OkCancel(const std::string& caption, const std::string& text) {
    bool answer = NextAnswer();
    boxes_.push_back({Kind::OkCancel, caption, text, answer});
    return answer;
}

} // namespace tarn::platform
