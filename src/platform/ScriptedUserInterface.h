// A user interface for tests: records every box and answers questions from a script.
#pragma once

#include "platform/UserInterface.h"

#include <deque>
#include <string>
#include <vector>

namespace tarn::platform {

class ScriptedUserInterface : public IUserInterface {
public:
    enum class Kind { Inform, Error, Confirm, OkCancel };
    struct Box {
        Kind kind;
        std::string caption;
        std::string text;
        bool answer; // false for boxes that ask nothing
    };

    // Answers for the coming questions, in order; once used up, DefaultAnswer applies.
    void Answer(bool yes) { answers_.push_back(yes); }
    void SetDefaultAnswer(bool yes) { defaultAnswer_ = yes; }

    const std::vector<Box>& Boxes() const { return boxes_; }
    std::vector<std::string> Texts(Kind kind) const;
    void ClearBoxes() { boxes_.clear(); }
    int BusyDepth() const { return busy_; }
    int MessagePumps() const { return pumps_; }

    void Inform(const std::string& caption, const std::string& text) override;
    void Error(const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
    bool OkCancel(const std::string& caption, const std::string& text) override;
    void ProcessMessages() override { ++pumps_; }
    void SetBusy(bool on) override { busy_ += on ? 1 : -1; }

private:
    bool NextAnswer();

    std::vector<Box> boxes_;
    std::deque<bool> answers_;
    bool defaultAnswer_ = false;
    int busy_ = 0;
    int pumps_ = 0;
};

} // namespace tarn::platform
