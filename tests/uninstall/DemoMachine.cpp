#include "DemoMachine.h"

#include "routines/routines_API.h"

namespace tarn::test {

void DemoMachineTest::LayOut() {
    const std::string r = kRecord;
    PutString(r, "DisplayName", "Demo Product");
    PutString(r, "UninstallString", "\"" + kFolder + "\\uninstall.exe\" Demo Product");

    PutFile(kFolder + "\\demo.txt");
    PutFile(kShared);
    PutFile(kSystemLib);
    PutFile("C:\\WINDOWS\\SYSTEM32\\kernel32.dll", "system");
    PutFile(kFolder + "\\Data\\records.dat");
    PutFile(kFolder + "\\Data\\index.dat");
    sharedShort = GetShortPath(kShared);
    RecordFiles(r + "\\Files", {kFolder + "\\demo.txt", kShared, kSystemLib});
    RecordFiles(r + "\\Files1", {kFolder + "\\Data\\records.dat"});
    RecordFiles(r + "\\Files2", {kFolder + "\\Data\\index.dat"});
    PutInteger(uninstall::kSharedDllsKey, sharedShort, 2);
    PutInteger(uninstall::kSharedDllsKey, kSystemLib, 1);

    PutFile(kFolder + "\\Grid.ocx");
    PutFile(kFolder + "\\DemoServer.exe", ServerScript(Seen()));
    std::filesystem::permissions(machine.Host(kFolder + "\\DemoServer.exe"),
                                 std::filesystem::perms::owner_all);
    PutFile(kFolder + "\\Help.hlp");
    RecordFiles(r + "\\ActiveX", {kFolder + "\\Grid.ocx;0", kFolder + "\\DemoServer.exe;1",
                                  kFolder + "\\Help.hlp;9"});

    PutFile("C:\\WINDOWS\\WIN.INI", kWinIni);
    PutFile("C:\\WINDOWS\\SYSTEM.INI", kSystemIni);
    PutString(r + "\\INIFiles\\1", "FilePath", "C:\\WINDOWS\\WIN.INI");
    PutString(r + "\\INIFiles\\1\\Entries\\Extensions", "dmo", "");
    PutString(r + "\\INIFiles\\1\\Entries\\Demo", "Window", "");
    PutString(r + "\\INIFiles\\2", "FilePath", "C:\\WINDOWS\\SYSTEM.INI");
    PutString(r + "\\INIFiles\\2\\Entries\\drivers", "DemoDrv", "");

    PutKey(r + "\\Aliases\\DemoDB");
    PutString(r + "\\BDE", "Entries", "1");
    PutString(uninstall::kEngineKey, "UseCount", "3");

    PutString("\\Software\\Demo Company\\Demo", "Version", "1.0");
    PutString("\\Software\\Demo Company\\Demo", "Path", kFolder);
    PutString(r + "\\RegistryKeys\\1", "Key", "\\Software\\Demo Company");
    PutInteger(r + "\\RegistryKeys\\1", "Root", 4);
    PutString(r + "\\RegistryKeys\\2", "Key", "\\Software\\Demo Company\\Demo");
    PutInteger(r + "\\RegistryKeys\\2", "Root", 4);
    PutString(r + "\\RegistryKeys\\2\\Entries", "Version", "");
    PutString(r + "\\RegistryKeys\\2\\Entries", "Path", "");
    PutString("\\Software\\Demo Company\\Demo\\Settings", "Window", "max", 2);
    PutString("\\Software\\Demo Company\\Demo\\Settings", "Theme", "dark", 2);
    PutString(r + "\\RegistryKeys\\3", "Key", "\\Software\\Demo Company\\Demo\\Settings");
    PutInteger(r + "\\RegistryKeys\\3", "Root", 2);
    PutString(r + "\\RegistryKeys\\3\\Entries", "Window", "");
    PutString("\\.dmo", "", "Demo.Document", 0);
    PutString(r + "\\RegistryKeys\\4", "Key", "\\.dmo");
    PutInteger(r + "\\RegistryKeys\\4", "Root", 0);
    PutString(r + "\\RegistryKeys\\4\\Entries", "", "");
}

void DemoMachineTest::ExpectRemoved() {
    EXPECT_FALSE(KeyExists(kRecord));
    // Files.
    EXPECT_FALSE(Exists(kFolder + "\\demo.txt"));
    EXPECT_FALSE(Exists(kFolder + "\\Data")); // emptied, then removed
    EXPECT_TRUE(Exists(kShared));
    EXPECT_EQ(SharedCount(sharedShort), 1);
    EXPECT_EQ(SharedCount(kShared), std::nullopt);
    EXPECT_FALSE(Exists(kSystemLib));
    EXPECT_EQ(SharedCount(kSystemLib), std::nullopt);
    EXPECT_TRUE(Exists("C:\\WINDOWS\\SYSTEM32"));
    // ActiveX.
    EXPECT_FALSE(Exists(kFolder + "\\Grid.ocx"));
    EXPECT_FALSE(Exists(kFolder + "\\DemoServer.exe"));
    EXPECT_TRUE(Exists(kFolder + "\\Help.hlp"));
    // INI files: exactly the recorded entries, the rest in place.
    EXPECT_EQ(Content("C:\\WINDOWS\\WIN.INI"),
              "[windows]\r\nload=\r\n[Extensions]\r\n; file types\r\ntxt=notepad.exe ^.txt\r\n"
              "\r\nbmp=mspaint.exe ^.bmp\r\n");
    EXPECT_EQ(Content("C:\\WINDOWS\\SYSTEM.INI"),
              "[boot]\r\nshell=Explorer.exe\r\n[drivers]\r\nwave=mmdrv.dll\r\ntimer=timer.drv\r\n");
    // Engine uses.
    EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "2");
    // Registry keys.
    EXPECT_FALSE(KeyExists("\\Software\\Demo Company"));
    EXPECT_FALSE(ValueExists("\\Software\\Demo Company\\Demo\\Settings", "Window", 2));
    EXPECT_TRUE(ValueExists("\\Software\\Demo Company\\Demo\\Settings", "Theme", 2));
    EXPECT_FALSE(KeyExists("\\.dmo", 0));
}

void DemoMachineTest::ExpectUntouched() {
    EXPECT_TRUE(KeyExists(kRecord + "\\Files"));
    EXPECT_TRUE(KeyExists(kRecord + "\\ActiveX"));
    for (const auto& f : {kFolder + "\\demo.txt", kSystemLib, kFolder + "\\Grid.ocx",
                          kFolder + "\\DemoServer.exe", kFolder + "\\Data\\index.dat"})
        EXPECT_TRUE(Exists(f)) << f;
    EXPECT_EQ(Content("C:\\WINDOWS\\WIN.INI"), kWinIni);
    EXPECT_EQ(Content("C:\\WINDOWS\\SYSTEM.INI"), kSystemIni);
    EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "3");
    EXPECT_EQ(SharedCount(sharedShort), 2);
    EXPECT_TRUE(ValueExists("\\Software\\Demo Company\\Demo", "Version"));
    EXPECT_TRUE(KeyExists("\\.dmo", 0));
}

} // namespace tarn::test
