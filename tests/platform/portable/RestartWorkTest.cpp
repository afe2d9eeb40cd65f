// The formats of restart-time file work: PendingFileRenameOperations bytes both ways, hostile
// values included, and WININIT.INI [rename] lines; then one restart fed a damaged value.
#include "platform/portable/RestartWork.h"
#include "platform/Platform.h"
#include "platform/portable/Machine.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace tarn::platform;
using namespace tarn::platform::portable;
using tarn::test::ReadHostFile;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

namespace {

using Ops = std::vector<PendingOperation>;

std::vector<std::uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

std::string Text(const std::vector<std::uint8_t>& b) {
    return {b.begin(), b.end()};
}

// Makes string literals with embedded NULs readable: "|" stands for NUL.
std::string Z(std::string s) {
    for (char& c : s)
        if (c == '|') c = '\0';
    return s;
}

PendingOperation Move(std::string from, std::string to, bool replace = false) {
    return {std::move(from), std::move(to), replace};
}

PendingOperation Delete(std::string path) {
    return {std::move(path), {}, false};
}

std::string Describe(const Ops& ops) {
    std::string out;
    for (const auto& op : ops)
        out += "[" + op.source + " -> " + (op.target.empty() ? "(delete)" : op.target) +
               (op.replaceExisting ? " !" : "") + "]";
    return out;
}

} // namespace

TEST(PendingRenames, EncodesPairsWithTheirPrefixes) {
    struct Case {
        Ops ops;
        std::string bytes;
    };
    const Case cases[] = {
        {{}, Z("|")},
        {{Move("C:\\a", "C:\\b")}, Z("\\??\\C:\\a|\\??\\C:\\b||")},
        {{Move("C:\\a", "C:\\b", true)}, Z("\\??\\C:\\a|!\\??\\C:\\b||")},
        // A delete has no target to mark as replacing.
        {{{"C:\\a", "", true}}, Z("\\??\\C:\\a|||")},
        {{Delete("C:\\x"), Move("C:\\y", "C:\\z", true)},
         Z("\\??\\C:\\x||\\??\\C:\\y|!\\??\\C:\\z||")},
        // What cannot be written is left out rather than ending the list early.
        {{Move("", "C:\\b"), Delete(Z("C:\\a|b")), Move("C:\\c", Z("C:\\d|")), Delete("C:\\e")},
         Z("\\??\\C:\\e|||")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Text(EncodePendingRenames(c.ops)), c.bytes) << Describe(c.ops);
}

TEST(PendingRenames, DecodesWellFormedValues) {
    struct Case {
        std::string bytes;
        Ops ops;
    };
    const Case cases[] = {
        {Z("\\??\\C:\\a|\\??\\C:\\b||"), {Move("C:\\a", "C:\\b")}},
        {Z("\\??\\C:\\a|!\\??\\C:\\b||"), {Move("C:\\a", "C:\\b", true)}},
        {Z("\\??\\C:\\x||\\??\\C:\\y|\\??\\C:\\z||"), {Delete("C:\\x"), Move("C:\\y", "C:\\z")}},
        // Written by other programs: prefixes are optional, "!" may come alone.
        {Z("C:\\a|C:\\b||"), {Move("C:\\a", "C:\\b")}},
        {Z("C:\\a|!C:\\b||"), {Move("C:\\a", "C:\\b", true)}},
        // "!" only counts in front of "\??\", and only on a target.
        {Z("\\??\\C:\\a|\\??\\!C:\\b||"), {Move("C:\\a", "!C:\\b")}},
        {Z("!\\??\\C:\\a|\\??\\C:\\b||"), {Move("C:\\a", "C:\\b")}},
        // Bytes of any code page pass through untouched.
        {Z("\\??\\C:\\\xC4rger|\\??\\C:\\\xFF\x01||"), {Move("C:\\\xC4rger", "C:\\\xFF\x01")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodePendingRenames(Bytes(c.bytes)), c.ops) << Describe(c.ops);
}

TEST(PendingRenames, DecodesHostileValuesToTheirWellFormedPart) {
    struct Case {
        const char* why;
        std::string bytes;
        Ops ops;
    };
    const Case cases[] = {
        {"no bytes", "", {}},
        {"only the end of the list", Z("|"), {}},
        {"no NUL at all", "C:\\a", {}},
        {"a source alone", Z("C:\\a|"), {}},
        {"a target without its NUL", Z("C:\\a|C:\\b"), {}},
        {"a last pair without its NUL", Z("C:\\a|C:\\b|C:\\c|C:\\d"), {Move("C:\\a", "C:\\b")}},
        {"no closing empty string", Z("C:\\a|C:\\b|"), {Move("C:\\a", "C:\\b")}},
        {"odd count: the closing string is the last target",
         Z("C:\\a|C:\\b|C:\\c||"),
         {Move("C:\\a", "C:\\b"), Delete("C:\\c")}},
        {"an empty source ends the list",
         Z("C:\\a|C:\\b||C:\\c|C:\\d||"),
         {Move("C:\\a", "C:\\b")}},
        {"a source of prefixes only ends the list", Z("\\??\\|C:\\b|C:\\c|C:\\d||"), {}},
        {"a target of prefixes only names nothing",
         Z("C:\\a|!\\??\\|C:\\c|\\??\\|C:\\e|!|C:\\f|||"),
         {Delete("C:\\f")}},
        {"a cut prefix is a name", Z("\\??|\\?|||"), {Move("\\??", "\\?")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodePendingRenames(Bytes(c.bytes)), c.ops) << c.why << ": " << Describe(c.ops);
}

// Every short value over the bytes that matter: decoding never yields an operation that could
// not be written, and what is written back reads as the same list.
TEST(PendingRenames, RewritingADecodedValueChangesNothing) {
    const char alphabet[] = {'\0', 'a', '!', '\\', '?'};
    constexpr std::size_t kBase = sizeof alphabet;
    for (std::size_t length = 0; length <= 7; ++length) {
        std::size_t count = 1;
        for (std::size_t i = 0; i < length; ++i)
            count *= kBase;
        for (std::size_t n = 0; n < count; ++n) {
            std::vector<std::uint8_t> data;
            for (std::size_t k = 0, rest = n; k < length; ++k, rest /= kBase)
                data.push_back(static_cast<std::uint8_t>(alphabet[rest % kBase]));
            const Ops ops = DecodePendingRenames(data);
            for (const auto& op : ops)
                ASSERT_FALSE(op.source.empty()) << Text(data);
            ASSERT_EQ(DecodePendingRenames(EncodePendingRenames(ops)), ops) << Text(data);
        }
    }
}

TEST(WininitRename, ReadsTargetEqualsSource) {
    struct Case {
        std::string line;
        std::optional<PendingOperation> op;
    };
    const Case cases[] = {
        {"C:\\WINDOWS\\SYSTEM\\lib.dll=C:\\staged.dll",
         Move("C:\\staged.dll", "C:\\WINDOWS\\SYSTEM\\lib.dll", true)},
        {"NUL=C:\\PROGRA~1\\OLDAPP~1\\OLD.EXE", Delete("C:\\PROGRA~1\\OLDAPP~1\\OLD.EXE")},
        {"nul=C:\\x", Delete("C:\\x")},
        // Only the whole target NUL deletes.
        {"NULL=C:\\x", Move("C:\\x", "NULL", true)},
        {"NUL =C:\\x", Move("C:\\x", "NUL ", true)},
        // The first "=" splits.
        {"C:\\a=C:\\b=c", Move("C:\\b=c", "C:\\a", true)},
        {"no separator", std::nullopt},
        {"=C:\\x", std::nullopt},
        {"C:\\x=", std::nullopt},
        {"NUL=", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseWininitRename(c.line), c.op) << c.line;
}

TEST(PendingRenames, RestartKeepsToTheReadablePartOfADamagedValue) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\Work\\a.txt"), "a");
    WriteHostFile(m.Host("C:\\Work\\c.txt"), "c");
    WriteHostFile(m.Host("C:\\Work\\d.txt"), "d");
    // Another program's entry without prefixes, then one recorded here: both survive the write.
    HKEY h = 0;
    ASSERT_EQ(Registry().CreateKey(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_ALL_ACCESS, h),
              ERROR_SUCCESS);
    const std::string foreign = Z("C:\\Work\\a.txt|C:\\Work\\b.txt||");
    ASSERT_EQ(Registry().SetValue(h, kPendingRenamesValue, REG_MULTI_SZ,
                                  reinterpret_cast<const std::uint8_t*>(foreign.data()),
                                  foreign.size()),
              ERROR_SUCCESS);
    ASSERT_EQ(Files().MoveFile("C:\\Work\\c.txt", "", MOVEFILE_DELAY_UNTIL_REBOOT), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    ASSERT_EQ(Registry().QueryValue(h, kPendingRenamesValue, type, data), ERROR_SUCCESS);
    EXPECT_EQ(DecodePendingRenames(data),
              (Ops{Move("C:\\Work\\a.txt", "C:\\Work\\b.txt"), Delete("C:\\Work\\c.txt")}));

    // Then damaged: a pair cut off in its target must not be guessed at.
    data.pop_back();
    const std::string cut = "\\??\\C:\\Work\\d.txt";
    data.insert(data.end(), cut.begin(), cut.end());
    data.push_back(0);
    data.push_back('C');
    ASSERT_EQ(Registry().SetValue(h, kPendingRenamesValue, REG_MULTI_SZ, data.data(), data.size()),
              ERROR_SUCCESS);
    Registry().CloseKey(h);

    m->Restart();
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Work\\b.txt")), "a");
    EXPECT_FALSE(std::filesystem::exists(m.Host("C:\\Work\\a.txt")));
    EXPECT_FALSE(std::filesystem::exists(m.Host("C:\\Work\\c.txt")));
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Work\\d.txt")), "d");
    ASSERT_EQ(Registry().OpenKey(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_READ, h),
              ERROR_SUCCESS);
    EXPECT_EQ(Registry().QueryValue(h, kPendingRenamesValue, type, data), ERROR_FILE_NOT_FOUND);
    Registry().CloseKey(h);
}
