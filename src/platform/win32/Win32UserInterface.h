// User interface service: MessageBoxA with the program's active window as owner, and the
// message pump.
#pragma once

#include "platform/UserInterface.h"

namespace tarn::platform::win32 {

class Win32UserInterface : public IUserInterface {
public:
    void Inform(const std::string& caption, const std::string& text) override;
    void Error(const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
    bool OkCancel(const std::string& caption, const std::string& text) override;
    void ProcessMessages() override;
    void SetBusy(bool busy) override;
};

} // namespace tarn::platform::win32
