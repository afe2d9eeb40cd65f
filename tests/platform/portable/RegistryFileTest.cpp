// registry.reg as REGEDIT4 text: the layout regedit uses, lossless round trips of odd names and
// data, what an import understands, and refusal of malformed text with the offending line.
#include "platform/portable/RegFile.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using namespace tarn::platform;
using namespace tarn::platform::portable;
using namespace std::literals;

namespace {

std::vector<std::uint8_t> Bytes(std::string_view s) {
    return {s.begin(), s.end()};
}
RegistryTree Load(const std::string& text) {
    return LoadRegFile(text, "test.reg");
}

TEST(RegistryFile, WritesEveryKeyParentsFirstInRegeditLayout) {
    RegistryTree tree;
    auto sw = tree.Root(RootKey::LocalMachine).AddSubKey("Software");
    auto app = sw->AddSubKey("Zeta");
    sw->AddSubKey("alpha");
    app->SetValue("", REG_SZ, Bytes(std::string_view("C:\\App\0", 7)));
    app->SetValue("Say \"hi\"", REG_SZ, Bytes(std::string_view("a\\b\"c\0", 6)));
    app->SetValue("Count", REG_DWORD, {0x0a, 0, 0, 0});
    app->SetValue("Blob", REG_BINARY, {0x01, 0xab});
    app->SetValue("Path", REG_EXPAND_SZ, Bytes(std::string_view("%X%\0", 4)));
    app->SetValue("Big", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0});
    app->SetValue("None", REG_NONE, {});
    // Data that "..." or dword: cannot carry exactly goes as hex of its own type.
    app->SetValue("NoNul", REG_SZ, Bytes("ab"));
    app->SetValue("Lines", REG_SZ, Bytes(std::string_view("a\r\n\0b\0", 6)));
    app->SetValue("Short", REG_DWORD, {1, 2});
    tree.Root(RootKey::CurrentUser).AddSubKey("Empty");

    std::string text = WriteRegFile(tree);
    EXPECT_EQ(text, "REGEDIT4\n\n"
                    "[HKEY_LOCAL_MACHINE]\n\n"
                    "[HKEY_LOCAL_MACHINE\\Software]\n\n"
                    "[HKEY_LOCAL_MACHINE\\Software\\alpha]\n\n"
                    "[HKEY_LOCAL_MACHINE\\Software\\Zeta]\n"
                    "@=\"C:\\\\App\"\n"
                    "\"Say \\\"hi\\\"\"=\"a\\\\b\\\"c\"\n"
                    "\"Count\"=dword:0000000a\n"
                    "\"Blob\"=hex:01,ab\n"
                    "\"Path\"=hex(2):25,58,25,00\n"
                    "\"Big\"=hex(b):01,00,00,00,00,00,00,00\n"
                    "\"None\"=hex(0):\n"
                    "\"NoNul\"=hex(1):61,62\n"
                    "\"Lines\"=hex(1):61,0d,0a,00,62,00\n"
                    "\"Short\"=hex(4):01,02\n\n"
                    "[HKEY_CURRENT_USER]\n\n"
                    "[HKEY_CURRENT_USER\\Empty]\n\n"
                    "[HKEY_USERS]\n\n");
    EXPECT_EQ(Load(text), tree);
}

TEST(RegistryFile, LongHexWrapsLikeRegedit) {
    RegistryTree tree;
    std::vector<std::uint8_t> data(300);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i);
    tree.Root(RootKey::Users).SetValue("Blob", REG_BINARY, data);
    std::string text = WriteRegFile(tree);
    std::istringstream in(text.substr(text.find("\"Blob\"")));
    std::size_t bytes = 0, lines = 0;
    for (std::string line; std::getline(in, line) && !line.empty(); ++lines) {
        EXPECT_LE(line.size(), 80u) << line;
        EXPECT_EQ(line.rfind(lines == 0 ? "\"Blob\"=hex:00," : "  ", 0), 0u) << line;
        bool more = line.back() == '\\';
        EXPECT_EQ(more, line.ends_with(",\\")) << line;
        bytes += static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')) + !more;
    }
    EXPECT_EQ(bytes, data.size());
    EXPECT_GE(lines, 300u * 3 / 80);
    EXPECT_EQ(Load(text), tree);
}

// Trees whose names and data use the bytes that make the format work hardest.
class RandomTrees {
public:
    explicit RandomTrees(unsigned seed) : rng_(seed) {}

    void Fill(RegKey& key, int depth) {
        static const DWORD kTypes[] = {REG_SZ,       REG_SZ,   REG_DWORD, REG_BINARY,
                                       REG_MULTI_SZ, REG_NONE, REG_QWORD, 0x12345};
        for (std::size_t v = Pick(0, 6); v > 0; --v) {
            DWORD type = kTypes[Pick(0, std::size(kTypes) - 1)];
            std::vector<std::uint8_t> data(Pick(0, 120));
            bool text = type == REG_SZ && Pick(0, 1); // mostly what "..." can hold
            for (auto& b : data)
                b = static_cast<std::uint8_t>(Pick(text ? 0x20 : 0, 0xff));
            if (text) data.push_back(0);
            if (type == REG_DWORD && Pick(0, 3)) data.resize(4);
            key.SetValue(Name(false), type, std::move(data));
        }
        for (std::size_t k = depth ? Pick(0, 4) : 0; k > 0; --k)
            Fill(*key.AddSubKey(Name(true)), depth - 1);
    }

private:
    std::string Name(bool keyName) {
        static const std::string kAwkward = "\"\\=[]@;-: \t,\x7f\x80\xe9\xff";
        std::string name;
        for (std::size_t n = Pick(keyName ? 1 : 0, 12); n > 0; --n) {
            char c = Pick(0, 2) ? static_cast<char>(Pick(0x20, 0xff))
                                : kAwkward[Pick(0, kAwkward.size() - 1)];
            name += keyName && c == '\\' ? '/' : c;
        }
        return name;
    }
    std::size_t Pick(std::size_t lo, std::size_t hi) {
        return std::uniform_int_distribution<std::size_t>(lo, hi)(rng_);
    }
    std::mt19937 rng_;
};

TEST(RegistryFile, ArbitraryTreesSurviveSaveAndLoad) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        RandomTrees random(seed);
        RegistryTree tree;
        for (RootKey root : kRootKeys)
            random.Fill(tree.Root(root), 3);
        std::string text = WriteRegFile(tree);
        RegistryTree back = Load(text);
        ASSERT_EQ(back, tree) << "seed " << seed << "\n" << text;
        EXPECT_EQ(WriteRegFile(back), text);
    }
}

TEST(RegistryFile, ReadsWhatARegeditImportAccepts) {
    RegistryTree tree = Load("REGEDIT4\r\n\r\n; a comment\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\App]\r\n"
                             "\"Keep\"=\"1\"\r\n"
                             "\"Drop\"=\"2\"\r\n"
                             "\"Hex\"=HEX:01,02,\\\r\n"
                             "    03 , 04\r\n"
                             "@=dword:FF\r\n\r\n"
                             "[hkey_local_machine\\SOFTWARE\\app\\Old]\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\App]\r\n"
                             "\"drop\"=-\r\n"
                             "[-HKEY_LOCAL_MACHINE\\Software\\App\\old]\r\n"
                             "[-HKEY_LOCAL_MACHINE\\Software\\NotThere\\Either]\r\n"
                             "[HKEY_CLASSES_ROOT\\.txt]\r\n"
                             "@=\"txtfile\"\r\n"
                             "[HKEY_CURRENT_CONFIG\\Display]\r\n");
    RegistryTree expected;
    auto sw = expected.Root(RootKey::LocalMachine).AddSubKey("Software");
    auto app = sw->AddSubKey("App");
    app->SetValue("Keep", REG_SZ, {'1', 0});
    app->SetValue("Hex", REG_BINARY, {1, 2, 3, 4});
    app->SetValue("", REG_DWORD, {0xff, 0, 0, 0});
    sw->AddSubKey("Classes")->AddSubKey(".txt")->SetValue("", REG_SZ, Bytes("txtfile\0"sv));
    RegKey* key = &expected.Root(RootKey::LocalMachine);
    for (const char* name :
         {"System", "CurrentControlSet", "Hardware Profiles", "Current", "Display"})
        key = key->AddSubKey(name).get();
    EXPECT_EQ(tree, expected) << WriteRegFile(tree);
}

TEST(RegistryFile, MalformedTextIsRefusedWithItsLine) {
    const std::string key = "REGEDIT4\n[HKEY_USERS\\A]\n"; // values start on line 3
    const std::pair<std::string, std::size_t> cases[] = {
        {"", 1},
        {"REGEDIT5\n", 1},
        {"REGEDIT4\n\n\"v\"=\"1\"\n", 3},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", 2},
        {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", 2},
        {"REGEDIT4\n[HKLM\\A]\n", 2},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2},
        {"REGEDIT4\n[-HKEY_USERS]\n", 2},
        {"REGEDIT4\n[-HKEY_USERS\\A]\n\"v\"=\"1\"\n", 3},
        {key + "\"v\"\"1\"\n", 3},
        {key + "\"v\"=1\n", 3},
        {key + "\"v\"=\"1\n", 3},
        {key + "\"v\"=\"a\\nb\"\n", 3},
        {key + "\"v\"=\"1\" junk\n", 3},
        {key + "\"v\"=dword:123456789\n", 3},
        {key + "\"v\"=dword:xyz\n", 3},
        {key + "\"v\"=hex:01,2g\n", 3},
        {key + "\"v\"=hex:01,,02\n", 3},
        {key + "\"v\"=hex:123\n", 3},
        {key + "\"v\"=hex(7:00\n", 3},
        {key + "\"v\"=hex:01,\\\n", 3},
        {key + "\"v\"=hex:01,\\\n  zz\n", 4},
        {key + "  01,02\n", 3},
        {key + "\"v\"=\"1\"\n\n; fine\n\"w\"=oops\n", 6},
    };
    for (const auto& [text, line] : cases) {
        try {
            Load(text);
            ADD_FAILURE() << "accepted: " << text;
        } catch (const RegFileError& e) {
            EXPECT_EQ(e.Line(), line) << text << "\n" << e.what();
            EXPECT_EQ(std::string(e.what()).rfind("test.reg:" + std::to_string(line) + ": ", 0),
                      0u);
        }
    }
}

} // namespace
