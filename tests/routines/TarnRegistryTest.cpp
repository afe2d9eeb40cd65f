#include "framework/StringList.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::platform;
using tarn::test::TempMachine;

namespace {

// Passes every call through and remembers the access rights asked for.
class RecordingRegistry : public IRegistry {
public:
    explicit RecordingRegistry(IRegistry& inner) : inner_(inner) {}
    std::vector<std::pair<std::string, REGSAM>> opens, creates;

    LONG OpenKey(HKEY p, const std::string& s, REGSAM a, HKEY& r) override {
        opens.emplace_back(s, a);
        return inner_.OpenKey(p, s, a, r);
    }
    LONG CreateKey(HKEY p, const std::string& s, REGSAM a, HKEY& r, bool* c) override {
        creates.emplace_back(s, a);
        return inner_.CreateKey(p, s, a, r, c);
    }
    LONG CloseKey(HKEY k) override { return inner_.CloseKey(k); }
    LONG FlushKey(HKEY k) override { return inner_.FlushKey(k); }
    LONG DeleteKey(HKEY p, const std::string& s) override { return inner_.DeleteKey(p, s); }
    LONG EnumKey(HKEY k, DWORD i, std::string& n) override { return inner_.EnumKey(k, i, n); }
    LONG EnumValue(HKEY k, DWORD i, std::string& n, DWORD* t) override {
        return inner_.EnumValue(k, i, n, t);
    }
    LONG QueryInfoKey(HKEY k, RegKeyInfo& i) override { return inner_.QueryInfoKey(k, i); }
    LONG QueryValue(HKEY k, const std::string& n, DWORD& t, std::vector<std::uint8_t>& d) override {
        return inner_.QueryValue(k, n, t, d);
    }
    LONG SetValue(HKEY k, const std::string& n, DWORD t, const std::uint8_t* d,
                  std::size_t s) override {
        return inner_.SetValue(k, n, t, d, s);
    }
    LONG DeleteValue(HKEY k, const std::string& n) override { return inner_.DeleteValue(k, n); }

private:
    IRegistry& inner_;
};

} // namespace

TEST(TtarnRegistry, RootCodesFollowTheTable) {
    TempMachine m;
    TtarnRegistry reg;
    EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
    SetRootByCode(reg, 4);
    EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
    SetRootByCode(reg, 5);
    SetRootByCode(reg, 132); // only the low 7 bits count
    EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
    SetRootByCode(reg, 6);
    EXPECT_EQ(reg.RootKey(), HKEY_LOCAL_MACHINE);
    SetRootByCode(reg, 0);
    EXPECT_EQ(reg.RootKey(), HKEY_CLASSES_ROOT);
    EXPECT_EQ(RootCodeOfKey(HKEY_USERS, 9), 5);
    EXPECT_EQ(RootCodeOfKey(HKEY_DYN_DATA, 9), 3);
    EXPECT_EQ(RootCodeOfKey(HKEY_PERFORMANCE_DATA, 9), 9);
}

TEST(TtarnRegistry, OpenKeyAsksForReadWriteUnlessItCreates) {
    TempMachine m;
    RecordingRegistry recorder(*m->GetServices().registry);
    Services s = m->GetServices();
    s.registry = &recorder;
    ScopedPlatform scope(s);

    TtarnRegistry reg;
    SetRootByCode(reg, 4);
    ASSERT_TRUE(reg.OpenKey("\\Software\\New", true));
    ASSERT_EQ(recorder.creates.size(), 1u);
    EXPECT_EQ(recorder.creates[0], std::make_pair(std::string("Software\\New"), KEY_ALL_ACCESS));
    EXPECT_EQ(reg.CurrentPath(), "Software\\New");

    recorder.opens.clear();
    recorder.creates.clear();
    TtarnRegistry again;
    SetRootByCode(again, 4);
    ASSERT_TRUE(again.OpenKey("\\Software\\New", true));
    EXPECT_TRUE(recorder.creates.empty());
    ASSERT_EQ(recorder.opens.size(), 2u); // the existence test, then the open
    EXPECT_EQ(recorder.opens[0].second, KEY_READ);
    EXPECT_EQ(recorder.opens[1].second, 0x2001Fu);
}

TEST(TtarnRegistry, FailedOpenKeepsTheCurrentKey) {
    TempMachine m;
    TtarnRegistry reg;
    SetRootByCode(reg, 4);
    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    HKEY before = reg.CurrentKey();
    EXPECT_FALSE(reg.OpenKey("\\Software\\X", false));
    EXPECT_EQ(reg.CurrentKey(), before);
    EXPECT_EQ(reg.CurrentPath(), "Software");
    EXPECT_FALSE(reg.KeyExists("\\Software\\X"));
}

TEST(TtarnRegistry, RelativePathsGrowTheCurrentPath) {
    TempMachine m;
    TtarnRegistry reg;
    SetRootByCode(reg, 4);
    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    ASSERT_TRUE(reg.OpenKey("Product\\Sub", true));
    EXPECT_EQ(reg.CurrentPath(), "Software\\Product\\Sub");
    reg.WriteString("V", "x");
    TtarnRegistry check;
    SetRootByCode(check, 4);
    ASSERT_TRUE(check.OpenKey("\\Software\\Product\\Sub", false));
    EXPECT_EQ(check.ReadString("V"), "x");
    EXPECT_TRUE(check.KeyExists("\\Software\\Product"));
}

TEST(TtarnRegistry, DeleteKeyRemovesTheWholeSubtree) {
    TempMachine m;
    TtarnRegistry reg;
    SetRootByCode(reg, 4);
    for (int i = 0; i < 5; ++i)
        for (const char* child : {"\\A\\B", "\\C"})
            ASSERT_TRUE(reg.OpenKey("\\Software\\Doomed\\K" + std::to_string(i) + child, true));
    reg.WriteString("leaf", "v");
    reg.CloseKey();
    ASSERT_TRUE(reg.OpenKey("\\Software", false)); // a current key elsewhere stays current
    HKEY current = reg.CurrentKey();
    EXPECT_TRUE(reg.DeleteKey("\\Software\\Doomed"));
    EXPECT_FALSE(reg.KeyExists("\\Software\\Doomed"));
    EXPECT_EQ(reg.CurrentKey(), current);
    EXPECT_FALSE(reg.DeleteKey("\\Software\\Doomed"));
}

TEST(TRegistry, ValueReadsFailWithTheFrameworkMessages) {
    TempMachine m;
    TtarnRegistry reg;
    SetRootByCode(reg, 4);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Values", true));
    reg.WriteInteger("Count", -5);
    reg.WriteString("Text", "hello");
    reg.WriteString("Empty", "");
    EXPECT_EQ(reg.ReadInteger("Count"), -5);
    EXPECT_EQ(reg.ReadString("Missing"), "");
    EXPECT_EQ(reg.ReadString("Empty"), "");
    try {
        reg.ReadString("Count");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Count'");
    }
    try {
        reg.ReadInteger("Missing");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to get data for 'Missing'");
    }
    try {
        reg.ReadInteger("Text");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'Text'");
    }
    EXPECT_TRUE(reg.DeleteValue("Text"));
    EXPECT_FALSE(reg.DeleteValue("Text"));
    TStringList names;
    reg.GetValueNames(names);
    EXPECT_EQ(names.Text(), "Count\r\nEmpty\r\n");
    EXPECT_FALSE(reg.HasSubKeys());
    m->GetFaults().refuseValueWriteKeys.push_back("HKEY_LOCAL_MACHINE\\Software\\Values");
    try {
        reg.WriteString("New", "x");
        FAIL();
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Failed to set data for 'New'");
    }
}
