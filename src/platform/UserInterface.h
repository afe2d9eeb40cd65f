// User interface service: the message boxes and the message pump.
#pragma once

#include <string>

namespace tarn::platform {

class IUserInterface {
public:
    virtual ~IUserInterface() = default;

    // Information box: no icon, OK button.
    virtual void Inform(const std::string& caption, const std::string& text) = 0;
    // Error box: error icon, OK button.
    virtual void Error(const std::string& caption, const std::string& text) = 0;
    // Yes/No box with a question icon, Yes the default and Escape answering No. True for Yes.
    virtual bool Confirm(const std::string& caption, const std::string& text) = 0;
    // OK/Cancel box. True for OK.
    virtual bool OkCancel(const std::string& caption, const std::string& text) = 0;
    // Lets the window system handle pending messages during long operations.
    virtual void ProcessMessages() {}
    // Hourglass cursor on or off.
    virtual void SetBusy(bool) {}
};

} // namespace tarn::platform
