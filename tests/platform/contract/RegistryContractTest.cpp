// The registry calls as Windows answers them, checked through IRegistry alone so that every
// backend (the embedded machine, the real Win32 registry) must pass the same suite.
#include "platform/contract/ContractEnvironment.h"
#include "platform/contract/WineDifferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tarn::platform;

namespace {

using Names = std::vector<std::string>;
using Data = std::vector<std::uint8_t>;

constexpr LONG kOk = ERROR_SUCCESS;
constexpr LONG kBadPathname = ERROR_BAD_PATHNAME;

Data Sz(const std::string& s) {
    Data d(s.begin(), s.end());
    d.push_back(0);
    return d;
}

class RegistryContract : public testing::Test {
protected:
    void SetUp() override {
        env_ = tarn::test::MakeContractEnvironment();
        reg_ = env_->GetServices().registry;
        scratch_ = env_->ScratchKey();
        ASSERT_EQ(reg_->CreateKey(HKEY_CURRENT_USER, scratch_, KEY_ALL_ACCESS, root_), kOk);
    }
    void TearDown() override {
        for (HKEY h : opened_)
            reg_->CloseKey(h);
        reg_->CloseKey(root_);
    }

    // Opens (or creates) below the scratch key; handles are closed after the test.
    LONG Open(const std::string& sub, REGSAM access, HKEY& h, bool create = false) {
        LONG rc =
            create ? reg_->CreateKey(root_, sub, access, h) : reg_->OpenKey(root_, sub, access, h);
        if (rc == kOk) opened_.push_back(h);
        return rc;
    }
    HKEY Create(const std::string& sub, REGSAM access = KEY_ALL_ACCESS) {
        HKEY h = 0;
        EXPECT_EQ(Open(sub, access, h, true), kOk) << sub;
        return h;
    }
    LONG Set(HKEY h, const std::string& name, DWORD type, const Data& d) {
        return reg_->SetValue(h, name, type, d.data(), d.size());
    }
    LONG Query(HKEY h, const std::string& name, Data& data, DWORD* type = nullptr) {
        DWORD t = 0;
        LONG rc = reg_->QueryValue(h, name, t, data);
        if (type) *type = t;
        return rc;
    }
    // Enumerates subkeys (or values) up to ERROR_NO_MORE_ITEMS.
    Names Enum(HKEY h, bool values) {
        Names names;
        std::string name;
        DWORD i = 0;
        auto next = [&] {
            return values ? reg_->EnumValue(h, i, name) : reg_->EnumKey(h, i, name);
        };
        for (; next() == kOk; ++i)
            names.push_back(name);
        EXPECT_EQ(next(), ERROR_NO_MORE_ITEMS);
        return names;
    }

    std::unique_ptr<tarn::test::ContractEnvironment> env_;
    IRegistry* reg_ = nullptr;
    std::string scratch_;
    HKEY root_ = 0;
    std::vector<HKEY> opened_;
};

TEST_F(RegistryContract, NamesAreCaseInsensitiveAndCasePreserving) {
    HKEY h = Create("MixedCase\\Inner");
    ASSERT_EQ(Set(h, "ValueName", REG_SZ, Sz("x")), kOk);
    HKEY again = 0;
    ASSERT_EQ(Open("MIXEDCASE\\inner", KEY_READ, again), kOk);
    Data data;
    EXPECT_EQ(Query(again, "VALUENAME", data), kOk);
    EXPECT_EQ(data, Sz("x"));
    EXPECT_EQ(Enum(root_, false), Names{"MixedCase"});
    EXPECT_EQ(Enum(again, true), Names{"ValueName"});

    bool created = true;
    HKEY same = 0;
    ASSERT_EQ(reg_->CreateKey(root_, "mixedcase", KEY_READ, same, &created), kOk);
    opened_.push_back(same);
    EXPECT_FALSE(created);
    ASSERT_EQ(reg_->CreateKey(root_, "A\\B", KEY_READ, same, &created), kOk);
    opened_.push_back(same);
    EXPECT_TRUE(created);
}

TEST_F(RegistryContract, PathsResolveAsOnWindowsNt) {
    HKEY h = Create("A\\B");
    ASSERT_EQ(Set(h, "v", REG_DWORD, {1, 0, 0, 0}), kOk);
    HKEY self = 0, missing = 0;
    ASSERT_EQ(reg_->OpenKey(h, "", KEY_READ, self), kOk); // a new handle to the same key
    opened_.push_back(self);
    EXPECT_NE(self, h);
    EXPECT_EQ(Enum(self, true), Names{"v"});
    EXPECT_EQ(Open("A\\Nope", KEY_READ, missing), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Open("\\A", KEY_READ, missing), kBadPathname);
}

TEST_F(RegistryContract, SubkeysInCaseInsensitiveOrderValuesInCreationOrder) {
    for (const char* name : {"beta", "Alpha", "gamma", "Delta", "alpha2", "B1"})
        Create(name);
    EXPECT_EQ(Enum(root_, false), (Names{"Alpha", "alpha2", "B1", "beta", "Delta", "gamma"}));

    HKEY h = Create("Values");
    for (const char* name : {"zeta", "Alpha", "mid", ""})
        ASSERT_EQ(Set(h, name, REG_SZ, Sz(name)), kOk);
    TARN_SKIP_WHERE_WINE_DIFFERS(*env_,
                                 "Wine keeps values sorted by name, Windows in creation order");
    EXPECT_EQ(Enum(h, true), (Names{"zeta", "Alpha", "mid", ""}));
    // Rewriting keeps a value's place; deleting and writing again moves it last.
    ASSERT_EQ(Set(h, "ALPHA", REG_DWORD, {5, 0, 0, 0}), kOk);
    ASSERT_EQ(reg_->DeleteValue(h, "zeta"), kOk);
    ASSERT_EQ(Set(h, "zeta", REG_SZ, Sz("again")), kOk);
    EXPECT_EQ(Enum(h, true), (Names{"Alpha", "mid", "", "zeta"}));
    DWORD type = 0;
    std::string name;
    ASSERT_EQ(reg_->EnumValue(h, 0, name, &type), kOk);
    EXPECT_EQ(type, REG_DWORD);
}

TEST_F(RegistryContract, DataOfEveryCommonTypeRoundTrips) {
    HKEY h = Create("Data");
    const std::vector<std::pair<DWORD, Data>> cases = {
        {REG_SZ, Sz("C:\\Program Files\\\"Quoted\"")},
        {REG_EXPAND_SZ, Sz("%SystemRoot%\\system32")},
        {REG_MULTI_SZ, {'o', 'n', 'e', 0, 't', 'w', 'o', 0, 0}},
        {REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {REG_BINARY, {0x00, 0xff, 0x10, 0x00, 0x7f}},
        {REG_BINARY, {}},
        {REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i)
        ASSERT_EQ(Set(h, "v" + std::to_string(i), cases[i].first, cases[i].second), kOk);
    ASSERT_EQ(Set(h, "", REG_SZ, Sz("default")), kOk);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        DWORD type = 0;
        Data data;
        ASSERT_EQ(Query(h, "v" + std::to_string(i), data, &type), kOk);
        EXPECT_EQ(type, cases[i].first) << i;
        EXPECT_EQ(data, cases[i].second) << i;
    }
    Data data;
    ASSERT_EQ(Query(h, "", data), kOk);
    EXPECT_EQ(data, Sz("default"));
}

TEST_F(RegistryContract, MissingThingsAndClosedHandles) {
    HKEY h = Create("Sparse");
    Data data;
    std::string name;
    EXPECT_EQ(Query(h, "absent", data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query(h, "", data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg_->DeleteValue(h, "absent"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg_->DeleteKey(root_, "Absent"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(reg_->EnumKey(h, 0, name), ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(reg_->EnumValue(h, 0, name), ERROR_NO_MORE_ITEMS);

    HKEY closed = 0;
    ASSERT_EQ(reg_->CreateKey(root_, "Closed", KEY_ALL_ACCESS, closed), kOk);
    ASSERT_EQ(reg_->CloseKey(closed), kOk);
    EXPECT_EQ(Query(closed, "v", data), ERROR_INVALID_HANDLE);
    EXPECT_EQ(reg_->CloseKey(HKEY_LOCAL_MACHINE), kOk); // predefined: nothing to close
}

TEST_F(RegistryContract, KeysWithSubkeysStayAndDeletedKeysStayDeleted) {
    Create("Parent\\Child");
    EXPECT_EQ(reg_->DeleteKey(root_, "Parent"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_->DeleteKey(root_, "PARENT\\child"), kOk);
    EXPECT_EQ(reg_->DeleteKey(root_, "Parent"), kOk);

    HKEY h = Create("Doomed");
    ASSERT_EQ(Set(h, "v", REG_SZ, Sz("x")), kOk);
    ASSERT_EQ(reg_->DeleteKey(root_, "Doomed"), kOk);
    Data data;
    std::string name;
    EXPECT_EQ(Query(h, "v", data), ERROR_KEY_DELETED);
    EXPECT_EQ(Set(h, "w", REG_SZ, Sz("y")), ERROR_KEY_DELETED);
    EXPECT_EQ(reg_->EnumValue(h, 0, name), ERROR_KEY_DELETED);
    EXPECT_EQ(reg_->EnumKey(h, 0, name), ERROR_KEY_DELETED);
    // A key made again under the same name is another key.
    HKEY fresh = Create("Doomed");
    EXPECT_EQ(Query(fresh, "v", data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Query(h, "v", data), ERROR_KEY_DELETED);
    EXPECT_EQ(Enum(root_, false), Names{"Doomed"});
}

TEST_F(RegistryContract, HandlesGrantOnlyTheRightsAskedFor) {
    ASSERT_EQ(Set(Create("Rights"), "v", REG_SZ, Sz("x")), kOk);
    Create("Rights\\Sub");
    HKEY readOnly = 0, setOnly = 0, queryOnly = 0;
    ASSERT_EQ(Open("Rights", KEY_READ, readOnly), kOk);
    ASSERT_EQ(Open("Rights", KEY_SET_VALUE, setOnly), kOk);
    ASSERT_EQ(Open("Rights", KEY_QUERY_VALUE, queryOnly), kOk);

    Data data;
    std::string name;
    RegKeyInfo info;
    EXPECT_EQ(Set(readOnly, "v", REG_SZ, Sz("y")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_->DeleteValue(readOnly, "v"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Query(setOnly, "v", data), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_->EnumValue(setOnly, 0, name), ERROR_ACCESS_DENIED);
    TARN_SKIP_WHERE_WINE_DIFFERS(*env_,
                                 "Wine lets RegQueryInfoKey through without KEY_QUERY_VALUE");
    EXPECT_EQ(reg_->QueryInfoKey(setOnly, info), ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_->EnumKey(queryOnly, 0, name), ERROR_ACCESS_DENIED);

    EXPECT_EQ(Set(setOnly, "v", REG_SZ, Sz("z")), kOk);
    EXPECT_EQ(Query(readOnly, "v", data), kOk);
    EXPECT_EQ(data, Sz("z"));
    EXPECT_EQ(Enum(readOnly, false), Names{"Sub"});
}

TEST_F(RegistryContract, QueryInfoKeyCountsAndMeasures) {
    HKEY h = Create("Info");
    Create("Info\\Short");
    Create("Info\\AMuchLongerName");
    ASSERT_EQ(Set(h, "a", REG_BINARY, Data(10, 1)), kOk);
    ASSERT_EQ(Set(h, "LongestValueName", REG_DWORD, {1, 0, 0, 0}), kOk);
    ASSERT_EQ(Set(h, "b", REG_BINARY, Data(3, 2)), kOk);
    RegKeyInfo info;
    ASSERT_EQ(reg_->QueryInfoKey(h, info), kOk);
    EXPECT_EQ(info.subKeys, 2u);
    EXPECT_EQ(info.values, 3u);
    EXPECT_EQ(info.maxSubKeyLen, 15u);    // AMuchLongerName
    EXPECT_EQ(info.maxValueNameLen, 16u); // LongestValueName
    EXPECT_EQ(info.maxValueLen, 10u);
    ASSERT_EQ(reg_->QueryInfoKey(Create("Info\\Short"), info), kOk);
    EXPECT_EQ(info.subKeys + info.values, 0u);
}

TEST_F(RegistryContract, ClassesRootIsMachineSoftwareClasses) {
    std::string name = "TarnwellContract." + scratch_.substr(scratch_.rfind('\\') + 1);
    HKEY cls = 0;
    ASSERT_EQ(reg_->CreateKey(HKEY_CLASSES_ROOT, name, KEY_ALL_ACCESS, cls), kOk);
    opened_.push_back(cls);
    Data data;
    HKEY viaMachine = 0;
    EXPECT_EQ(Set(cls, "", REG_SZ, Sz("Contract file")), kOk);
    EXPECT_EQ(reg_->OpenKey(HKEY_LOCAL_MACHINE, "Software\\Classes\\" + name, KEY_READ, viaMachine),
              kOk);
    EXPECT_EQ(Query(viaMachine, "", data), kOk);
    EXPECT_EQ(data, Sz("Contract file"));
    reg_->CloseKey(viaMachine);
    EXPECT_EQ(reg_->DeleteKey(HKEY_CLASSES_ROOT, name), kOk);
}

} // namespace
