// User interface service: MessageBoxA owned by the program's window, Escape answering No in a
// Yes/No question, and the message pump.
#pragma once

#include "platform/UserInterface.h"

namespace tarn::platform::win32 {

class Win32UserInterface : public IUserInterface {
public:
    void Inform(const std::string& caption, const std::string& text) override;
    void Error(const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
    // The Yes/No box behind Confirm, with the box's own answer: IDYES, or IDNO also for Escape and
    // the close command (0 when no box could be shown).
    static int AskYesNo(const std::string& caption, const std::string& text);
    bool OkCancel(const std::string& caption, const std::string& text) override;
    void ProcessMessages() override;
    void SetBusy(bool busy) override;
};

} // namespace tarn::platform::win32
