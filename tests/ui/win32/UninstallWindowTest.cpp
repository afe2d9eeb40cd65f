// The uninstall window as the uninstaller's view, in this process: what each call of the logic
// does to the controls. Needs a display; without one the cases are skipped.
#include "UninstallWindow.h"

#include "ControlIds.h"
#include "ThemeBitmap.h"
#include "support/win32/Display.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace tarn::uninstall::win32 {
namespace {

using tarn::test::DisplayAvailable;

class UninstallWindowTest : public testing::Test {
protected:
    void SetUp() override {
        if (!DisplayAvailable())
            GTEST_SKIP() << "no display: a window cannot be created here (run under an X server, "
                            "e.g. xvfb-run)";
        window_ = std::make_unique<UninstallWindow>(::GetModuleHandleA(nullptr));
    }

    bool Shown(int id) const {
        return (::GetWindowLongA(window_->Control(id), GWL_STYLE) & WS_VISIBLE) != 0;
    }
    bool Enabled(int id) const { return ::IsWindowEnabled(window_->Control(id)) != FALSE; }
    LRESULT Ask(int id, UINT message, WPARAM wParam = 0) const {
        return ::SendMessageA(window_->Control(id), message, wParam, 0);
    }
    std::string Caption() const {
        char text[256] = {};
        ::GetWindowTextA(window_->Handle(), text, sizeof(text));
        return text;
    }

    std::unique_ptr<UninstallWindow> window_;
};

const std::pair<TPhaseBox, int> kPhaseBoxes[] = {
    {TPhaseBox::pbAliases, idAliasesCB}, {TPhaseBox::pbActiveX, idActiveXCB},
    {TPhaseBox::pbFiles, idFilesCB},     {TPhaseBox::pbIniFiles, idINIFilesCB},
    {TPhaseBox::pbBDE, idBDECB},         {TPhaseBox::pbRegistry, idRegistryCB},
};

TEST_F(UninstallWindowTest, StartsHiddenWithItsFirstCaptionAndClientArea) {
    EXPECT_FALSE(::IsWindowVisible(window_->Handle()));
    EXPECT_EQ(Caption(), "Uninstall program");
    RECT client;
    ::GetClientRect(window_->Handle(), &client);
    EXPECT_EQ(client.right, 469);
    EXPECT_EQ(client.bottom, 328);
    for (auto [box, id] : kPhaseBoxes) {
        EXPECT_FALSE(Shown(id)) << id;
        EXPECT_FALSE(Enabled(id)) << id;
        EXPECT_EQ(Ask(id, BM_GETCHECK), BST_UNCHECKED) << id;
    }
    EXPECT_FALSE(Shown(idProgressBar1));
    EXPECT_TRUE(Enabled(idStartBtn));
}

TEST_F(UninstallWindowTest, EachPhaseBoxIsShownThenTickedAndStaysDisabled) {
    for (auto [box, id] : kPhaseBoxes) {
        window_->ShowCheckBox(box);
        EXPECT_TRUE(Shown(id)) << id;
        EXPECT_EQ(Ask(id, BM_GETCHECK), BST_UNCHECKED) << id;
        window_->TickCheckBox(box);
        EXPECT_EQ(Ask(id, BM_GETCHECK), BST_CHECKED) << id;
        EXPECT_FALSE(Enabled(id)) << id;
    }
}

TEST_F(UninstallWindowTest, OnlyThePhaseShownAppears) {
    window_->ShowCheckBox(TPhaseBox::pbFiles);
    for (auto [box, id] : kPhaseBoxes)
        EXPECT_EQ(Shown(id), box == TPhaseBox::pbFiles) << id;
}

TEST_F(UninstallWindowTest, TheProgressBarShowsMovesAndHides) {
    window_->ShowProgress(0);
    EXPECT_TRUE(Shown(idProgressBar1));
    EXPECT_EQ(Ask(idProgressBar1, PBM_GETPOS), 0);
    window_->SetProgress(50);
    EXPECT_EQ(Ask(idProgressBar1, PBM_GETPOS), 50);
    window_->SetProgress(100);
    EXPECT_EQ(Ask(idProgressBar1, PBM_GETPOS), 100);
    window_->HideProgress();
    EXPECT_FALSE(Shown(idProgressBar1));
    window_->ShowProgress(0); // each phase starts the bar again
    EXPECT_EQ(Ask(idProgressBar1, PBM_GETPOS), 0);
}

TEST_F(UninstallWindowTest, CaptionAndStartFollowTheLogic) {
    window_->SetCaption("Remove My Product");
    EXPECT_EQ(Caption(), "Remove My Product");
    window_->SetStartEnabled(false);
    EXPECT_FALSE(Enabled(idStartBtn));
    EXPECT_TRUE(Enabled(idCloseBtn));
    window_->SetStartEnabled(true);
    EXPECT_TRUE(Enabled(idStartBtn));
}

TEST_F(UninstallWindowTest, CloseEndsTheWindowOnceTheLoopRunsAgain) {
    window_->Close();
    EXPECT_NE(window_->Handle(), nullptr) << "not before the message loop has its turn";
    MSG message;
    bool quit = false;
    for (int i = 0; i < 100 && !quit; ++i) {
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) quit = true;
            ::DispatchMessageA(&message);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_EQ(window_->Handle(), nullptr);
}

TEST(ThemeBitmap, IsADuskSkyOverALake) {
    const auto pixels = ThemePixels(kThemeWidth, kThemeHeight);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kThemeWidth) * kThemeHeight);
    auto brightness = [&](int row, int col) {
        const std::uint32_t p = pixels[static_cast<std::size_t>(row) * kThemeWidth + col];
        return ((p >> 16) & 0xff) + ((p >> 8) & 0xff) + (p & 0xff);
    };
    // Dark at the zenith, glowing towards the ridges, dark water at the bottom.
    EXPECT_LT(brightness(0, 5), brightness(kThemeHeight / 4, 5));
    EXPECT_LT(brightness(kThemeHeight - 1, 5), brightness(kThemeHeight / 4, 5));
    EXPECT_EQ(ThemePixels(kThemeWidth, kThemeHeight), pixels) << "drawn the same every time";
}

} // namespace
} // namespace tarn::uninstall::win32
