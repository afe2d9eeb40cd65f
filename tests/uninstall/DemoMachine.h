// A machine with a complete install record of "Demo Product": files in three record keys, shared
// counts under long and short names, ActiveX entries of kinds 0, 1 and unknown, two shared INI
// files, an alias, engine uses and registry keys under three roots with foreign values.
#pragma once

#include "UninstallFixture.h"

namespace tarn::test {

class DemoMachineTest : public UninstallTest {
protected:
    // Lays the product out on the machine.
    void LayOut();
    // What the machine holds after a finished run with the answers Yes (Grid.ocx), Yes (server),
    // No (help file), Yes (system library).
    void ExpectRemoved();
    // Nothing of the product was removed.
    void ExpectUntouched();

    std::filesystem::path Seen() const { return machine.Folder() / "server-seen.txt"; }
    std::string sharedShort; // short form of the shared library's path

    static inline const std::string kFolder = "C:\\Program Files\\Demo";
    static inline const std::string kShared =
        "C:\\Program Files\\Common Files\\Demo Shared\\Common Library.dll";
    static inline const std::string kSystemLib = "C:\\WINDOWS\\SYSTEM32\\demolib.dll";
    static inline const std::string kWinIni =
        "[windows]\r\nload=\r\n[Extensions]\r\n; file types\r\ntxt=notepad.exe ^.txt\r\n"
        "dmo=C:\\Program Files\\Demo\\demo.exe ^.dmo\r\n\r\nbmp=mspaint.exe ^.bmp\r\n"
        "[Demo]\r\nWindow=1\r\n";
    static inline const std::string kSystemIni =
        "[boot]\r\nshell=Explorer.exe\r\n[drivers]\r\nwave=mmdrv.dll\r\nDemoDrv=demo.drv\r\n"
        "timer=timer.drv\r\n";
};

} // namespace tarn::test
