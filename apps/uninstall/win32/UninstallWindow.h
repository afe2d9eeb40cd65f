// The uninstaller's window: TForm1 drawn with real Windows controls on one panel, as the view of
// the uninstaller's logic. Start runs the whole removal inside the button's click handler; the
// window takes no input while it runs and repaints only when the logic asks it to.
#pragma once

// <windows.h> without the macros that clash with the platform headers' names; first.
#include "platform/win32/WindowsApi.h"

#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallView.h"

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace tarn::uninstall::win32 {

class UninstallWindow : public IUninstallView {
public:
    explicit UninstallWindow(HINSTANCE instance);
    ~UninstallWindow() override;
    UninstallWindow(const UninstallWindow&) = delete;
    UninstallWindow& operator=(const UninstallWindow&) = delete;

    // Runs FormCreate (an error box when it refuses), shows the window centred and runs the
    // message loop until the window closes. Returns the exit code: 0 finished or closed before
    // Start, 1 a phase stopped the run, 2 refused.
    int Run(const std::vector<std::string>& arguments, int show);

    // The top-level window (the form); null once it is destroyed.
    HWND Handle() const { return form_; }
    // A control of the window by its identifier (ControlIds.h).
    HWND Control(int id) const;

    // IUninstallView
    void SetCaption(const std::string& caption) override;
    void SetStartEnabled(bool enabled) override;
    void ShowCheckBox(TPhaseBox box) override;
    void TickCheckBox(TPhaseBox box) override;
    void ShowProgress(int position) override;
    void SetProgress(int position) override;
    void HideProgress() override;
    void Repaint() override;
    void BeforeBox() override;
    void Close() override;

private:
    static LRESULT CALLBACK FormProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RegisterClasses();
    void CreateControls();
    void OnCommand(int id);
    void StartBtnClick();
    HWND CheckBox(TPhaseBox box) const;

    HINSTANCE instance_;
    HWND form_ = nullptr;
    HWND panel_ = nullptr;
    struct FontDeleter {
        void operator()(HFONT font) const { ::DeleteObject(font); }
    };
    std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> font_;
    bool running_ = false;
    TForm1 logic_;
};

} // namespace tarn::uninstall::win32
