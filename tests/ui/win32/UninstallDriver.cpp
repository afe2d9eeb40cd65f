// uninstall_driver: runs the Windows uninstaller through its window as a user would. It starts
// the program for a product, checks the window against its layout, takes a picture, clicks
// Start, answers every question by the rules given, records the notices, takes a picture of the
// finished window under the closing message, dismisses it and waits for the program to end.
// Exit status 0 when everything went as expected, 1 otherwise (reasons on standard error).
#include "ControlIds.h" // the uninstall window's control identifiers
#include "LayoutCheck.h"
#include "Screenshot.h"
#include "WindowProbe.h"
#include "ui/DriverOptions.h"

#include <chrono>
#include <iostream>
#include <map>
#include <set>
#include <thread>

namespace tarn::ui {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPoll = std::chrono::milliseconds(50);
// The error box of a start without a product name, with the full stop the box adds.
constexpr const char* kRefusal =
    "Please remove this software from the Add/Remove Programs from the Control Panel.";

class Driver {
public:
    explicit Driver(DriverOptions options) : options_(std::move(options)) {}
    ~Driver() {
        if (process_.hProcess) {
            ::CloseHandle(process_.hThread);
            ::CloseHandle(process_.hProcess);
        }
    }

    int Run();

private:
    void Execute();
    void Fail(const std::string& reason) { failures_.push_back(reason); }
    bool Start();
    bool Exited() const { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }
    HWND WaitForForm();
    void Watch();
    void HandleBox(const MessageBoxView& box);
    void Answer(const MessageBoxView& box, ui::Answer answer);
    void Press(const MessageBoxView& box, int button);
    void Insist();
    void CheckTicks();
    void PictureUnder(const MessageBoxView& box);
    void Picture(const std::string& path);
    std::vector<HWND> OpenBoxes() const;
    void Report(const std::string& line) { std::cout << line << std::endl; }

    DriverOptions options_;
    PROCESS_INFORMATION process_{};
    Clock::time_point deadline_;
    HWND form_ = nullptr;
    std::set<HWND> handled_;
    // Boxes answered and not yet gone: when, and the command their dialog manager would send.
    std::map<HWND, std::pair<Clock::time_point, int>> pending_;
    bool closingSeen_ = false;
    bool errorSeen_ = false;
    bool refusalSeen_ = false;
    bool closeClicked_ = false;
    bool afterTaken_ = false;
    std::vector<std::string> failures_;
};

bool Driver::Start() {
    std::string line = BuildCommandLine(options_.program, options_.productWords);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    if (!::CreateProcessA(options_.program.c_str(), line.data(), nullptr, nullptr, FALSE, 0,
                          nullptr, nullptr, &startup, &process_)) {
        Fail("cannot start " + options_.program + " (error " + std::to_string(::GetLastError()) +
             ")");
        return false;
    }
    ::WaitForInputIdle(process_.hProcess, 10000);
    return true;
}

HWND Driver::WaitForForm() {
    const std::string caption = options_.WindowCaption();
    while (Clock::now() < deadline_) {
        for (HWND window : ProcessWindows(process_.dwProcessId))
            if (WindowText(window) == caption) return window;
        for (HWND window : OpenBoxes()) {
            // A box before the window: the program refused; record it and go on.
            if (!handled_.count(window))
                if (auto box = ReadMessageBox(window)) HandleBox(*box);
        }
        if (Exited()) {
            Fail("the program ended before its window \"" + caption + "\" appeared");
            return nullptr;
        }
        std::this_thread::sleep_for(kPoll);
    }
    Fail("no window \"" + caption + "\" appeared");
    return nullptr;
}

std::vector<HWND> Driver::OpenBoxes() const {
    std::vector<HWND> boxes;
    for (HWND window : ProcessWindows(process_.dwProcessId))
        if (window != form_ && ClassName(window) == "#32770") boxes.push_back(window);
    return boxes;
}

void Driver::Press(const MessageBoxView& box, int button) {
    HWND control = ::GetDlgItem(box.window, button);
    if (!control) {
        Fail("the box \"" + box.text + "\" has no button " + std::to_string(button));
        return;
    }
    ::PostMessageA(control, BM_CLICK, 0, 0);
    pending_[box.window] = {Clock::now(), button};
}

// A click can be lost on a box that is not active yet: after a while the button's command goes
// to the box directly, as the button itself would send it.
void Driver::Insist() {
    for (auto it = pending_.begin(); it != pending_.end();) {
        const auto [since, command] = it->second;
        if (!::IsWindow(it->first) || !::IsWindowVisible(it->first)) {
            it = pending_.erase(it);
        } else if (Clock::now() - since > std::chrono::seconds(3)) {
            ::PostMessageA(it->first, WM_COMMAND, MAKEWPARAM(command, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(it->first, command)));
            it->second.first = Clock::now();
            ++it;
        } else {
            ++it;
        }
    }
}

void Driver::Answer(const MessageBoxView& box, ui::Answer answer) {
    switch (answer) {
    case ui::Answer::Yes:
        Press(box, IDYES);
        break;
    case ui::Answer::No:
        Press(box, IDNO);
        break;
    case ui::Answer::Escape:
        // The key as the keyboard would bring it: the box's dialog manager turns it into its
        // cancel command.
        ::PostMessageA(box.window, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        ::PostMessageA(box.window, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001));
        pending_[box.window] = {Clock::now(), IDCANCEL};
        break;
    }
}

void Driver::CheckTicks() {
    static const char* const kNames[] = {"AliasesCB",  "ActiveXCB", "FilesCB",
                                         "INIFilesCB", "BDECB",     "RegistryCB"};
    const std::vector<int> ids = PhaseCheckBoxIds();
    for (std::size_t i = 0; i < ids.size(); ++i) {
        HWND box = FindControl(form_, ids[i]);
        if (!box || !::IsWindowVisible(box))
            Fail(std::string(kNames[i]) + " is not shown at the end");
        else if (Ask(box, BM_GETCHECK).value_or(-1) != BST_CHECKED)
            Fail(std::string(kNames[i]) + " is not ticked at the end");
    }
}

void Driver::Picture(const std::string& path) {
    if (path.empty()) return;
    try {
        WritePng(path, CaptureWindow(form_));
    } catch (const std::exception& e) {
        Fail(std::string("picture ") + path + ": " + e.what());
    }
}

// The picture of the window while a box is open: the box goes beside the window first.
void Driver::PictureUnder(const MessageBoxView& box) {
    if (options_.after.empty() || afterTaken_) return;
    RECT window, boxRect;
    ::GetWindowRect(form_, &window);
    ::GetWindowRect(box.window, &boxRect);
    const int height = boxRect.bottom - boxRect.top;
    const int screen = ::GetSystemMetrics(SM_CYSCREEN);
    const int top = window.bottom + height <= screen ? window.bottom : 0;
    ::SetWindowPos(box.window, nullptr, boxRect.left, top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the window repaints
    Picture(options_.after);
    afterTaken_ = true;
}

void Driver::HandleBox(const MessageBoxView& box) {
    handled_.insert(box.window);
    // Once the window is there, every box is modal to it.
    if (form_ && ::GetWindow(box.window, GW_OWNER) != form_)
        Fail("the box \"" + box.text + "\" does not belong to the window");
    if (box.caption != "Confirm" && box.caption != options_.ProgramTitle())
        Fail("the box \"" + box.text + "\" is captioned \"" + box.caption + "\", not \"" +
             options_.ProgramTitle() + "\"");
    if (box.caption == "Confirm") {
        const auto answer = ChooseAnswer(options_.answers, box.text);
        if (!answer) {
            Report("Confirm: " + box.text + " -> No (unexpected)");
            Fail("unexpected question: " + box.text);
            Answer(box, ui::Answer::No);
            return;
        }
        Report("Confirm: " + box.text + " -> " + AnswerName(*answer));
        Answer(box, *answer);
        return;
    }
    if (box.icon) {
        Report("Error: " + box.text);
        errorSeen_ = true;
        if (!form_ && box.text == kRefusal) refusalSeen_ = true;
        Press(box, IDOK);
        return;
    }
    Report("Information: " + box.text);
    if (IsClosingMessage(box.text)) {
        closingSeen_ = true;
        if (form_) {
            CheckTicks();
            PictureUnder(box);
        }
    }
    Press(box, IDOK);
}

void Driver::Watch() {
    auto quietSince = Clock::now();
    while (!Exited()) {
        if (Clock::now() >= deadline_) {
            Fail("the program did not end within " + std::to_string(options_.timeoutSeconds) +
                 " s; stopped it");
            ::TerminateProcess(process_.hProcess, 255);
            ::WaitForSingleObject(process_.hProcess, 5000);
            return;
        }
        Insist();
        const std::vector<HWND> boxes = OpenBoxes();
        if (!boxes.empty()) quietSince = Clock::now();
        for (HWND window : boxes) {
            if (handled_.count(window)) continue;
            if (auto box = ReadMessageBox(window)) HandleBox(*box);
        }
        // After an error the window stays, stopped: picture it and close it once it is quiet.
        if (errorSeen_ && !closeClicked_ && boxes.empty() &&
            Clock::now() - quietSince > std::chrono::seconds(1) && ::IsWindow(form_)) {
            if (!afterTaken_) Picture(options_.after);
            afterTaken_ = true;
            ::PostMessageA(FindControl(form_, uninstall::win32::idCloseBtn), BM_CLICK, 0, 0);
            closeClicked_ = true;
        }
        std::this_thread::sleep_for(kPoll);
    }
}

void Driver::Execute() {
    deadline_ = Clock::now() + std::chrono::seconds(options_.timeoutSeconds);
    if (!Start()) return;
    form_ = WaitForForm();
    if (form_) {
        for (const auto& problem :
             CheckLayout(form_, options_.WindowCaption(), !options_.Refused()))
            Fail("layout: " + problem);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // first paint
        Picture(options_.before);
        // A refused program is left through Close, the only button it keeps.
        const int button =
            options_.Refused() ? uninstall::win32::idCloseBtn : uninstall::win32::idStartBtn;
        if (HWND control = FindControl(form_, button))
            ::PostMessageA(control, BM_CLICK, 0, 0);
        else
            Fail("there is no button " + std::to_string(button) + " to click");
        closeClicked_ = options_.Refused();
    }
    Watch();

    DWORD code = 0;
    ::GetExitCodeProcess(process_.hProcess, &code);
    Report("Exit code: " + std::to_string(code));
    if (options_.Refused()) {
        if (!refusalSeen_) Fail("no error box refused the run");
        if (code != 2) Fail("exit code " + std::to_string(code) + ", expected 2 (refused)");
    } else if (options_.expectStopped) {
        if (!errorSeen_) Fail("no error box stopped the run");
        if (code != 1) Fail("exit code " + std::to_string(code) + ", expected 1 (stopped)");
    } else {
        if (errorSeen_) Fail("an error box appeared");
        if (!closingSeen_) Fail("the closing message did not appear");
        if (code != 0) Fail("exit code " + std::to_string(code) + ", expected 0");
    }
}

int Driver::Run() {
    Execute();
    for (const auto& failure : failures_)
        std::cerr << "uninstall_driver: " << failure << '\n';
    return failures_.empty() ? 0 : 1;
}

} // namespace
} // namespace tarn::ui

int main(int argc, char** argv) {
    using namespace tarn::ui;
    DriverOptions options;
    try {
        options = ParseDriverOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::cerr << "uninstall_driver: " << e.what() << '\n' << kDriverUsage;
        return 1;
    }
    return Driver(std::move(options)).Run();
}
