// The terminal view: a check list that ticks, and on a terminal the bar on the running line.
#include "uninstall/TerminalUninstallView.h"

#include <gtest/gtest.h>
#include <sstream>

using tarn::uninstall::TerminalUninstallView;
using tarn::uninstall::TPhaseBox;

TEST(TerminalUninstallView, IntoAPipeOnlyTickedPhasesAreWritten) {
    std::ostringstream out;
    TerminalUninstallView view(out, false);
    view.SetCaption("Remove Demo");
    view.ShowProgress(0);
    view.ShowCheckBox(TPhaseBox::pbFiles);
    view.SetProgress(50);
    view.HideProgress();
    view.TickCheckBox(TPhaseBox::pbFiles);
    view.ShowCheckBox(TPhaseBox::pbIniFiles);
    view.TickCheckBox(TPhaseBox::pbIniFiles);
    view.Close();
    EXPECT_EQ(out.str(), "Remove Demo\n[x] Files\n[x] INI file entries\n");
}

TEST(TerminalUninstallView, OnATerminalTheBarIsDrawnOnThePhaseLine) {
    std::ostringstream out;
    TerminalUninstallView view(out, true);
    view.ShowProgress(0);
    view.ShowCheckBox(TPhaseBox::pbActiveX);
    view.SetProgress(50);
    view.TickCheckBox(TPhaseBox::pbActiveX);
    const std::string text = out.str();
    EXPECT_NE(text.find("\r[ ] ActiveX/OCX components  [" + std::string(15, '#') +
                        std::string(15, ' ') + "] 50%"),
              std::string::npos);
    EXPECT_NE(text.find("\r[x] ActiveX/OCX components\x1b[K\n"), std::string::npos);
    EXPECT_EQ(text.find('\n'), text.size() - 1); // one line in the end
}

TEST(TerminalUninstallView, ABoxEndsTheOpenLineFirst) {
    std::ostringstream out;
    TerminalUninstallView view(out, true);
    view.ShowCheckBox(TPhaseBox::pbFiles);
    view.BeforeBox();
    out << "Confirm: question\n";
    view.SetProgress(100);
    view.TickCheckBox(TPhaseBox::pbFiles);
    const std::string text = out.str();
    EXPECT_NE(text.find("[ ] Files\x1b[K\nConfirm: question\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r[x] Files"), std::string::npos);
}
