// The Win32 message boxes as a user meets them: a Confirm box answered with Escape, Enter, its
// buttons or its close command from another thread, the buttons and icons of each kind of box,
// and the box owned by the program's window. These need a display; without one they are skipped.
#include "platform/win32/WindowsApi.h"

#include "platform/win32/Win32UserInterface.h"
#include "support/win32/Display.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace tarn::platform::win32 {
namespace {

using namespace std::chrono_literals;

using tarn::test::DisplayAvailable;

#define REQUIRE_DISPLAY()                                                                          \
    if (!DisplayAvailable())                                                                       \
    GTEST_SKIP() << "no display: a window cannot be created here (run under an X server, e.g. "    \
                    "xvfb-run)"

// Shows a box on a thread of its own, as the program's user interface thread would.
class BoxThread {
public:
    explicit BoxThread(std::function<int()> show) {
        thread_ = std::thread([this, show] {
            MSG queue;
            ::PeekMessageA(&queue, nullptr, 0, 0, PM_NOREMOVE); // a queue to be told to quit
            id_ = ::GetCurrentThreadId();
            result_ = show();
            done_ = true;
        });
    }
    ~BoxThread() {
        // A box nobody answered: a quit message ends its modal loop.
        for (int i = 0; i < 200 && !done_; ++i) {
            if (id_) ::PostThreadMessageA(id_, WM_QUIT, 0, 0);
            std::this_thread::sleep_for(50ms);
        }
        if (thread_.joinable()) thread_.join();
    }
    int Result() {
        thread_.join();
        return result_;
    }
    DWORD Id() const { return id_; }

private:
    std::thread thread_;
    std::atomic<DWORD> id_{0};
    std::atomic<bool> done_{false};
    int result_ = -1;
};

HWND WaitForBox(const char* caption) {
    for (auto until = std::chrono::steady_clock::now() + 15s;
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(20ms))
        if (HWND box = ::FindWindowA("#32770", caption); box && ::IsWindowVisible(box)) return box;
    return nullptr;
}

// The box's buttons are ready once it is visible; the answer goes in as the keyboard brings it.
void PostKey(HWND box, WPARAM key) {
    ::PostMessageA(box, WM_KEYDOWN, key, 0x00010001);
    ::PostMessageA(box, WM_KEYUP, key, static_cast<LPARAM>(0xC0010001));
}

std::string TextOf(HWND window) {
    char text[256] = {};
    ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The box's own answer to what answer does to it. The box must be gone right after.
int Answered(const char* caption, const std::function<void(HWND)>& answer) {
    BoxThread thread(
        [&] { return Win32UserInterface::AskYesNo(caption, "Is it o.k. to delete it?"); });
    HWND box = WaitForBox(caption);
    EXPECT_NE(box, nullptr) << "the box \"" << caption << "\" did not appear";
    if (!box) return thread.Result();
    answer(box);
    auto until = std::chrono::steady_clock::now() + 5s;
    while (::IsWindow(box) && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(::IsWindow(box)) << "the box \"" << caption << "\" stayed open";
    return thread.Result();
}

// The icon a box shows; null for none.
HICON IconOf(HWND box) {
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            ::IsWindowVisible(child))
            if (auto icon = reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0)))
                return icon;
    return nullptr;
}

TEST(Win32UserInterface, EscapeAnswersAConfirmBoxWithNo) {
    REQUIRE_DISPLAY();
    EXPECT_EQ(Answered("Confirm escape", [](HWND box) { PostKey(box, VK_ESCAPE); }), IDNO);
}

TEST(Win32UserInterface, EnterTakesYesTheDefaultButton) {
    REQUIRE_DISPLAY();
    EXPECT_EQ(Answered("Confirm enter", [](HWND box) { PostKey(box, VK_RETURN); }), IDYES);
}

TEST(Win32UserInterface, TheButtonsAnswerYesAndNo) {
    REQUIRE_DISPLAY();
    auto press = [](int button) {
        return [button](HWND box) { ::PostMessageA(::GetDlgItem(box, button), BM_CLICK, 0, 0); };
    };
    EXPECT_EQ(Answered("Confirm yes", press(IDYES)), IDYES);
    EXPECT_EQ(Answered("Confirm no", press(IDNO)), IDNO);
}

TEST(Win32UserInterface, ClosingAConfirmBoxAnswersNo) {
    REQUIRE_DISPLAY();
    EXPECT_EQ(Answered("Confirm close", [](HWND box) { ::PostMessageA(box, WM_CLOSE, 0, 0); }),
              IDNO);
}

TEST(Win32UserInterface, AConfirmBoxAsksWithYesDefaultAndNoAndAQuestionIcon) {
    REQUIRE_DISPLAY();
    Answered("Confirm look", [](HWND box) {
        HWND yes = ::GetDlgItem(box, IDYES), no = ::GetDlgItem(box, IDNO);
        ASSERT_TRUE(yes && no);
        EXPECT_EQ(TextOf(yes), "&Yes");
        EXPECT_EQ(TextOf(no), "&No");
        EXPECT_EQ(::GetDlgItem(box, IDCANCEL), nullptr);
        EXPECT_EQ(::GetDlgItem(box, IDOK), nullptr);
        EXPECT_EQ(::GetWindowLongA(yes, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
        EXPECT_EQ(::GetWindowLongA(no, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
        EXPECT_EQ(IconOf(box), ::LoadIconA(nullptr, IDI_QUESTION));
        PostKey(box, VK_ESCAPE);
    });
}

// The icon a box shows and its visible buttons.
struct BoxLook {
    HICON icon = nullptr;
    std::vector<int> buttons;
};

BoxLook LookAt(const char* caption, const std::function<void(Win32UserInterface&)>& show) {
    Win32UserInterface ui;
    BoxThread thread([&] {
        show(ui);
        return 0;
    });
    BoxLook look;
    HWND box = WaitForBox(caption);
    EXPECT_NE(box, nullptr) << "the box \"" << caption << "\" did not appear";
    if (!box) return look;
    look.icon = IconOf(box);
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        ::GetClassNameA(child, name, sizeof(name));
        if (_stricmp(name, "Button") == 0 && ::IsWindowVisible(child))
            look.buttons.push_back(::GetDlgCtrlID(child));
    }
    PostKey(box, VK_RETURN);
    thread.Result();
    return look;
}

TEST(Win32UserInterface, AnInformationBoxHasOnlyOkAndNoIcon) {
    REQUIRE_DISPLAY();
    const BoxLook look = LookAt("Inform look", [](auto& ui) { ui.Inform("Inform look", "Done"); });
    EXPECT_EQ(look.icon, nullptr);
    EXPECT_EQ(look.buttons, std::vector<int>{IDOK});
}

TEST(Win32UserInterface, AnErrorBoxHasOnlyOkAndTheErrorIcon) {
    REQUIRE_DISPLAY();
    const BoxLook look = LookAt("Error look", [](auto& ui) { ui.Error("Error look", "Failed."); });
    EXPECT_EQ(look.icon, ::LoadIconA(nullptr, IDI_ERROR));
    EXPECT_EQ(look.buttons, std::vector<int>{IDOK});
}

TEST(Win32UserInterface, TheBoxBelongsToTheProgramsWindow) {
    REQUIRE_DISPLAY();
    std::atomic<HWND> window{nullptr};
    Win32UserInterface ui;
    BoxThread thread([&] {
        HWND main = ::CreateWindowExA(0, "STATIC", "Owner test", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      10, 10, 200, 100, nullptr, nullptr, nullptr, nullptr);
        window = main;
        const bool yes = ui.Confirm("Confirm owner", "Owned?");
        ::DestroyWindow(main);
        return yes ? 1 : 0;
    });
    HWND box = WaitForBox("Confirm owner");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(::GetWindow(box, GW_OWNER), window.load());
    // Modal to its window: the window takes no input while the box is up.
    EXPECT_FALSE(::IsWindowEnabled(window.load()));
    PostKey(box, VK_ESCAPE);
    EXPECT_EQ(thread.Result(), 0);
}

} // namespace
} // namespace tarn::platform::win32
