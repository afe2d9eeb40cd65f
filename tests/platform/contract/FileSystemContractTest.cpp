// IFileSystem as Windows behaves, whatever the backend: only the platform interfaces are used.
#include "platform/contract/ContractEnvironment.h"
#include "platform/contract/WineDifferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace tarn::test {
namespace {

using namespace platform;

class FileSystemContract : public ::testing::Test {
protected:
    void SetUp() override {
        env_ = MakeContractEnvironment();
        files_ = env_->GetServices().files;
        ASSERT_NE(files_, nullptr);
        dir_ = env_->ScratchFolder();
    }

    std::string In(const std::string& name) const { return dir_ + "\\" + name; }

    DWORD Write(const std::string& path, const std::string& content,
                DWORD disposition = CREATE_ALWAYS) {
        HANDLE h = INVALID_HANDLE_VALUE;
        if (DWORD error =
                files_->CreateFile(path, GENERIC_WRITE, 0, disposition, FILE_ATTRIBUTE_NORMAL, h))
            return error;
        DWORD written = 0;
        DWORD error =
            files_->WriteFile(h, content.data(), static_cast<DWORD>(content.size()), written);
        EXPECT_EQ(files_->CloseFile(h), ERROR_SUCCESS);
        return error;
    }

    std::string Read(const std::string& path) {
        HANDLE h = INVALID_HANDLE_VALUE;
        EXPECT_EQ(files_->CreateFile(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, h),
                  ERROR_SUCCESS)
            << path;
        std::string content;
        char buffer[256];
        DWORD got = 0;
        while (files_->ReadFile(h, buffer, sizeof buffer, got) == ERROR_SUCCESS && got > 0)
            content.append(buffer, got);
        files_->CloseFile(h);
        return content;
    }

    DWORD Attributes(const std::string& path) {
        DWORD attributes = 0;
        DWORD error = files_->GetAttributes(path, attributes);
        return error ? INVALID_FILE_ATTRIBUTES : attributes;
    }

    static std::string Upper(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
        return s;
    }

    std::vector<std::string> Find(const std::string& pattern) {
        std::vector<std::string> names;
        HANDLE find = INVALID_HANDLE_VALUE;
        FindData data;
        if (files_->FindFirst(pattern, find, data) != ERROR_SUCCESS) return names;
        do {
            names.push_back(data.name);
        } while (files_->FindNext(find, data) == ERROR_SUCCESS);
        files_->FindClose(find);
        std::sort(names.begin(), names.end());
        return names;
    }

    // What Find lists in the scratch folder, "." and ".." aside.
    std::vector<std::string> Listed(const std::string& mask) {
        auto names = Find(In(mask));
        std::erase_if(names, [](const std::string& n) { return n == "." || n == ".."; });
        return names;
    }

    static std::vector<std::string> Words(const char* text) {
        std::istringstream in(text);
        std::vector<std::string> words{std::istream_iterator<std::string>(in), {}};
        std::sort(words.begin(), words.end());
        return words;
    }

    std::unique_ptr<ContractEnvironment> env_;
    IFileSystem* files_ = nullptr;
    std::string dir_;
};

TEST_F(FileSystemContract, FileContentRoundTripsThroughHandles) {
    ASSERT_EQ(Write(In("data.bin"), std::string("hello\0world", 11)), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("data.bin")), std::string("hello\0world", 11));

    HANDLE h = INVALID_HANDLE_VALUE;
    ASSERT_EQ(files_->CreateFile(In("data.bin"), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, h),
              ERROR_SUCCESS);
    std::uint64_t size = 0;
    EXPECT_EQ(files_->GetFileSize(h, size), ERROR_SUCCESS);
    EXPECT_EQ(size, 11u);
    std::uint64_t position = 0;
    EXPECT_EQ(files_->SetFilePointer(h, -5, FILE_END, position), ERROR_SUCCESS);
    EXPECT_EQ(position, 6u);
    char buffer[8] = {};
    DWORD got = 0;
    EXPECT_EQ(files_->ReadFile(h, buffer, sizeof buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(std::string(buffer, got), "world");
    EXPECT_EQ(files_->ReadFile(h, buffer, sizeof buffer, got), ERROR_SUCCESS);
    EXPECT_EQ(got, 0u) << "reading at the end gives nothing, not an error";
    EXPECT_EQ(files_->SetFilePointer(h, 5, FILE_BEGIN, position), ERROR_SUCCESS);
    EXPECT_EQ(files_->SetEndOfFile(h), ERROR_SUCCESS);
    EXPECT_EQ(files_->GetFileSize(h, size), ERROR_SUCCESS);
    EXPECT_EQ(size, 5u);
    EXPECT_EQ(files_->SetFilePointer(h, -1, FILE_BEGIN, position), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(files_->CloseFile(h), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("data.bin")), "hello");
}

TEST_F(FileSystemContract, DispositionsFollowWindows) {
    HANDLE h = INVALID_HANDLE_VALUE;
    EXPECT_EQ(files_->CreateFile(In("none.txt"), GENERIC_READ, 0, OPEN_EXISTING, 0, h),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->CreateFile(In("none.txt"), GENERIC_WRITE, 0, TRUNCATE_EXISTING, 0, h),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->CreateFile(In("nodir\\x.txt"), GENERIC_WRITE, 0, CREATE_ALWAYS, 0, h),
              ERROR_PATH_NOT_FOUND);

    ASSERT_EQ(Write(In("a.txt"), "original", CREATE_NEW), ERROR_SUCCESS);
    EXPECT_EQ(Write(In("a.txt"), "again", CREATE_NEW), ERROR_FILE_EXISTS);
    EXPECT_EQ(Read(In("a.txt")), "original");

    // OPEN_ALWAYS keeps what is there and writes from the start.
    EXPECT_EQ(Write(In("a.txt"), "OR", OPEN_ALWAYS), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("a.txt")), "ORiginal");
    EXPECT_EQ(Write(In("new.txt"), "fresh", OPEN_ALWAYS), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("new.txt")), "fresh");

    EXPECT_EQ(Write(In("a.txt"), "", TRUNCATE_EXISTING), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("a.txt")), "");
    EXPECT_EQ(Write(In("new.txt"), "xy", CREATE_ALWAYS), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("new.txt")), "xy");
}

TEST_F(FileSystemContract, HandlesOnlyAllowTheirAccess) {
    ASSERT_EQ(Write(In("f.txt"), "abc"), ERROR_SUCCESS);
    HANDLE reader = INVALID_HANDLE_VALUE;
    ASSERT_EQ(
        files_->CreateFile(In("f.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0, reader),
        ERROR_SUCCESS);
    DWORD written = 0;
    EXPECT_EQ(files_->WriteFile(reader, "x", 1, written), ERROR_ACCESS_DENIED);
    TARN_SKIP_WHERE_WINE_DIFFERS(
        *env_, "Wine answers ERROR_INVALID_PARAMETER for SetEndOfFile on a read handle");
    EXPECT_EQ(files_->SetEndOfFile(reader), ERROR_ACCESS_DENIED);
    EXPECT_EQ(files_->CloseFile(reader), ERROR_SUCCESS);

    HANDLE writer = INVALID_HANDLE_VALUE;
    ASSERT_EQ(files_->CreateFile(In("f.txt"), GENERIC_WRITE, 0, OPEN_EXISTING, 0, writer),
              ERROR_SUCCESS);
    char c = 0;
    DWORD got = 0;
    EXPECT_EQ(files_->ReadFile(writer, &c, 1, got), ERROR_ACCESS_DENIED);
    EXPECT_EQ(files_->CloseFile(writer), ERROR_SUCCESS);
}

TEST_F(FileSystemContract, ShareModesRuleOutConflictingOpens) {
    ASSERT_EQ(Write(In("s.txt"), "abc"), ERROR_SUCCESS);
    HANDLE first = INVALID_HANDLE_VALUE;
    HANDLE second = INVALID_HANDLE_VALUE;

    ASSERT_EQ(
        files_->CreateFile(In("s.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0, first),
        ERROR_SUCCESS);
    // Another reader that shares reading is fine; a writer is not let in.
    EXPECT_EQ(
        files_->CreateFile(In("s.txt"), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0, second),
        ERROR_SUCCESS);
    EXPECT_EQ(files_->CloseFile(second), ERROR_SUCCESS);
    EXPECT_EQ(files_->CreateFile(In("s.txt"), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 OPEN_EXISTING, 0, second),
              ERROR_SHARING_VIOLATION);
    // A new reader must share reading with the reader already there.
    EXPECT_EQ(files_->CreateFile(In("s.txt"), GENERIC_READ, 0, OPEN_EXISTING, 0, second),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(files_->DeleteFile(In("s.txt")), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(files_->CloseFile(first), ERROR_SUCCESS);

    ASSERT_EQ(files_->CreateFile(In("s.txt"), GENERIC_READ, 0, OPEN_EXISTING, 0, first),
              ERROR_SUCCESS);
    EXPECT_EQ(files_->CreateFile(In("s.txt"), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 OPEN_EXISTING, 0, second),
              ERROR_SHARING_VIOLATION);
    EXPECT_EQ(files_->CloseFile(first), ERROR_SUCCESS);
    EXPECT_EQ(files_->CloseFile(first), ERROR_INVALID_HANDLE);

    // Once every handle is closed the file can go.
    EXPECT_EQ(files_->DeleteFile(In("s.txt")), ERROR_SUCCESS);
    EXPECT_EQ(Attributes(In("s.txt")), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileSystemContract, AttributesAndReadOnlyFiles) {
    ASSERT_EQ(Write(In("r.txt"), "keep"), ERROR_SUCCESS);
    EXPECT_TRUE(Attributes(In("r.txt")) & FILE_ATTRIBUTE_ARCHIVE) << "new files are archived";
    EXPECT_FALSE(Attributes(In("r.txt")) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_TRUE(Attributes(dir_) & FILE_ATTRIBUTE_DIRECTORY);

    ASSERT_EQ(files_->SetAttributes(In("r.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              ERROR_SUCCESS);
    DWORD attributes = Attributes(In("r.txt"));
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_SYSTEM);

    EXPECT_EQ(files_->DeleteFile(In("r.txt")), ERROR_ACCESS_DENIED);
    HANDLE h = INVALID_HANDLE_VALUE;
    TARN_SKIP_WHERE_WINE_DIFFERS(
        *env_, "Wine keeps the read-only attribute as a Unix permission, which root ignores");
    EXPECT_EQ(files_->CreateFile(In("r.txt"), GENERIC_WRITE, 0, OPEN_EXISTING, 0, h),
              ERROR_ACCESS_DENIED);
    ASSERT_EQ(Write(In("other.txt"), "other"), ERROR_SUCCESS);
    EXPECT_EQ(files_->CopyFile(In("other.txt"), In("r.txt"), false), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Read(In("r.txt")), "keep");

    ASSERT_EQ(files_->SetAttributes(In("r.txt"), FILE_ATTRIBUTE_NORMAL), ERROR_SUCCESS);
    attributes = Attributes(In("r.txt"));
    EXPECT_FALSE(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(files_->DeleteFile(In("r.txt")), ERROR_SUCCESS);
}

TEST_F(FileSystemContract, MissingPathsTellFileFromFolder) {
    DWORD attributes = 0;
    EXPECT_EQ(files_->GetAttributes(In("missing.txt"), attributes), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->GetAttributes(In("missing\\x.txt"), attributes), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(files_->DeleteFile(In("missing.txt")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->DeleteFile(In("missing\\x.txt")), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(files_->RemoveDirectory(In("missing")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->SetAttributes(In("missing.txt"), FILE_ATTRIBUTE_HIDDEN),
              ERROR_FILE_NOT_FOUND);
    FILETIME time = 0;
    EXPECT_EQ(files_->GetLastWriteTime(In("missing.txt"), time), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->CopyFile(In("missing.txt"), In("copy.txt"), false), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->MoveFile(In("missing.txt"), In("moved.txt"), 0), ERROR_FILE_NOT_FOUND);
}

TEST_F(FileSystemContract, FoldersAreCreatedAndRemovedLikeWindows) {
    EXPECT_EQ(files_->CreateDirectory(In("sub")), ERROR_SUCCESS);
    EXPECT_EQ(files_->CreateDirectory(In("sub")), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(files_->CreateDirectory(In("a\\b")), ERROR_PATH_NOT_FOUND);
    ASSERT_EQ(Write(In("sub\\f.txt"), "x"), ERROR_SUCCESS);
    EXPECT_EQ(files_->CreateDirectory(In("sub\\f.txt")), ERROR_ALREADY_EXISTS);

    EXPECT_EQ(files_->DeleteFile(In("sub")), ERROR_ACCESS_DENIED);
    EXPECT_EQ(files_->RemoveDirectory(In("sub")), ERROR_DIR_NOT_EMPTY);
    EXPECT_NE(files_->RemoveDirectory(In("sub\\f.txt")), ERROR_SUCCESS);
    EXPECT_EQ(files_->DeleteFile(In("sub\\f.txt")), ERROR_SUCCESS);
    EXPECT_EQ(files_->RemoveDirectory(In("SUB")), ERROR_SUCCESS) << "names ignore case";
    EXPECT_EQ(Attributes(In("sub")), INVALID_FILE_ATTRIBUTES);
}

TEST_F(FileSystemContract, CopyKeepsContentTimeAndReadOnly) {
    ASSERT_EQ(Write(In("src.txt"), "payload"), ERROR_SUCCESS);
    const FILETIME stamp = 132000000000000000ull; // 2019-04-14, whole seconds
    ASSERT_EQ(files_->SetLastWriteTime(In("src.txt"), stamp), ERROR_SUCCESS);
    ASSERT_EQ(files_->SetAttributes(In("src.txt"), FILE_ATTRIBUTE_READONLY), ERROR_SUCCESS);

    EXPECT_EQ(files_->CopyFile(In("src.txt"), In("dst.txt"), true), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("dst.txt")), "payload");
    FILETIME copied = 0;
    EXPECT_EQ(files_->GetLastWriteTime(In("dst.txt"), copied), ERROR_SUCCESS);
    EXPECT_EQ(copied, stamp);
    EXPECT_TRUE(Attributes(In("dst.txt")) & FILE_ATTRIBUTE_READONLY);

    ASSERT_EQ(Write(In("plain.txt"), "plain"), ERROR_SUCCESS);
    EXPECT_EQ(files_->CopyFile(In("src.txt"), In("plain.txt"), true), ERROR_FILE_EXISTS);
    EXPECT_EQ(Read(In("plain.txt")), "plain");
    EXPECT_EQ(files_->CopyFile(In("src.txt"), In("plain.txt"), false), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("plain.txt")), "payload");
    EXPECT_EQ(files_->CopyFile(In("src.txt"), In("nodir\\x.txt"), false), ERROR_PATH_NOT_FOUND);

    for (const char* name : {"src.txt", "dst.txt", "plain.txt"})
        files_->SetAttributes(In(name), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(FileSystemContract, MoveRenamesAndReplacesOnlyWhenAsked) {
    ASSERT_EQ(Write(In("one.txt"), "1"), ERROR_SUCCESS);
    ASSERT_EQ(Write(In("two.txt"), "2"), ERROR_SUCCESS);
    EXPECT_EQ(files_->MoveFile(In("one.txt"), In("two.txt"), 0), ERROR_ALREADY_EXISTS);
    EXPECT_EQ(Read(In("two.txt")), "2");
    EXPECT_EQ(files_->MoveFile(In("one.txt"), In("two.txt"), MOVEFILE_REPLACE_EXISTING),
              ERROR_SUCCESS);
    EXPECT_EQ(Read(In("two.txt")), "1");
    EXPECT_EQ(Attributes(In("one.txt")), INVALID_FILE_ATTRIBUTES);

    // Folders move with their content; a change of case is a rename too.
    ASSERT_EQ(files_->CreateDirectory(In("box")), ERROR_SUCCESS);
    ASSERT_EQ(files_->MoveFile(In("two.txt"), In("box\\two.txt"), 0), ERROR_SUCCESS);
    EXPECT_EQ(files_->MoveFile(In("box"), In("crate"), 0), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("crate\\two.txt")), "1");
    TARN_SKIP_WHERE_WINE_DIFFERS(*env_, "Wine does not rename to a name that differs only in case");
    EXPECT_EQ(files_->MoveFile(In("crate"), In("Crate"), 0), ERROR_SUCCESS);
    EXPECT_EQ(Find(In("*")), (std::vector<std::string>{".", "..", "Crate"}));
    EXPECT_EQ(files_->MoveFile(In("Crate\\two.txt"), In("nodir\\two.txt"), 0),
              ERROR_PATH_NOT_FOUND);
}

TEST_F(FileSystemContract, DelayedMovesAreRecordedNotDone) {
    IRegistry* registry = env_->GetServices().registry;
    ASSERT_NE(registry, nullptr);
    const std::string keyPath = "System\\CurrentControlSet\\Control\\Session Manager";
    HKEY key = 0;
    ASSERT_EQ(
        registry->CreateKey(HKEY_LOCAL_MACHINE, keyPath, KEY_QUERY_VALUE | KEY_SET_VALUE, key),
        ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<std::uint8_t> before;
    const bool had =
        registry->QueryValue(key, "PendingFileRenameOperations", type, before) == ERROR_SUCCESS;

    ASSERT_EQ(Write(In("old.dll"), "old"), ERROR_SUCCESS);
    ASSERT_EQ(Write(In("new.dll"), "new"), ERROR_SUCCESS);
    EXPECT_EQ(files_->MoveFile(In("new.dll"), In("old.dll"),
                               MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING),
              ERROR_SUCCESS);
    EXPECT_EQ(files_->MoveFile(In("old.dll"), "", MOVEFILE_DELAY_UNTIL_REBOOT), ERROR_SUCCESS);
    EXPECT_EQ(Read(In("old.dll")), "old") << "nothing happens before the restart";
    EXPECT_EQ(Read(In("new.dll")), "new");

    std::vector<std::uint8_t> after;
    ASSERT_EQ(registry->QueryValue(key, "PendingFileRenameOperations", type, after), ERROR_SUCCESS);
    EXPECT_EQ(type, REG_MULTI_SZ);
    // REG_MULTI_SZ: strings ended by NUL, the list by one more NUL.
    std::vector<std::string> strings;
    std::string current;
    for (std::uint8_t byte : after) {
        if (byte) {
            current += static_cast<char>(byte);
        } else {
            strings.push_back(Upper(current));
            current.clear();
        }
    }
    std::string fullNew;
    std::string fullOld;
    ASSERT_EQ(files_->GetFullPathName(In("new.dll"), fullNew), ERROR_SUCCESS);
    ASSERT_EQ(files_->GetFullPathName(In("old.dll"), fullOld), ERROR_SUCCESS);
    // Our two pairs come last and in order: a replacing move, then a delete (empty target).
    const std::vector<std::string> expected = {
        Upper("\\??\\" + fullNew), Upper("!\\??\\" + fullOld), Upper("\\??\\" + fullOld), "", ""};
    ASSERT_GE(strings.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(strings.end() - 5, strings.end()), expected);

    if (had)
        registry->SetValue(key, "PendingFileRenameOperations", REG_MULTI_SZ, before.data(),
                           before.size());
    else
        registry->DeleteValue(key, "PendingFileRenameOperations");
    registry->CloseKey(key);
}

TEST_F(FileSystemContract, FindMatchesWildcardsWithoutCase) {
    for (const char* name : {"a.txt", "B.TXT", "c.log", "noext", "ab.txt"})
        ASSERT_EQ(Write(In(name), name), ERROR_SUCCESS);
    ASSERT_EQ(files_->CreateDirectory(In("sub")), ERROR_SUCCESS);

    EXPECT_EQ(Find(In("*.txt")), (std::vector<std::string>{"B.TXT", "a.txt", "ab.txt"}));
    EXPECT_EQ(Find(In("?.TXT")), (std::vector<std::string>{"B.TXT", "a.txt"}));
    EXPECT_EQ(Find(In("*.*")).size(), 8u) << "*.* takes names without a dot, and . and ..";
    TARN_SKIP_WHERE_WINE_DIFFERS(*env_, "Wine does not read *. as names without an extension");
    auto noExtension = Find(In("*."));
    noExtension.erase(std::remove_if(noExtension.begin(), noExtension.end(),
                                     [](const std::string& n) { return n == "." || n == ".."; }),
                      noExtension.end());
    EXPECT_EQ(noExtension, (std::vector<std::string>{"noext", "sub"})) << "*. means no extension";
    EXPECT_EQ(Find(In("C.LOG")), (std::vector<std::string>{"c.log"}));
    EXPECT_EQ(Find(In("sub\\*")), (std::vector<std::string>{".", ".."}));

    HANDLE find = INVALID_HANDLE_VALUE;
    FindData data;
    EXPECT_EQ(files_->FindFirst(In("*.exe"), find, data), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(files_->FindFirst(In("nodir\\*"), find, data), ERROR_PATH_NOT_FOUND);

    ASSERT_EQ(files_->FindFirst(In("c.log"), find, data), ERROR_SUCCESS);
    EXPECT_EQ(data.size, 5u);
    EXPECT_TRUE(data.attributes & FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_TRUE(data.alternateName.empty()) << "an 8.3 name needs no alias";
    FILETIME written = 0;
    EXPECT_EQ(files_->GetLastWriteTime(In("c.log"), written), ERROR_SUCCESS);
    EXPECT_EQ(data.lastWriteTime, written);
    EXPECT_EQ(files_->FindNext(find, data), ERROR_NO_MORE_FILES);
    EXPECT_EQ(files_->FindClose(find), ERROR_SUCCESS);

    ASSERT_EQ(files_->FindFirst(In("sub"), find, data), ERROR_SUCCESS);
    EXPECT_TRUE(data.attributes & FILE_ATTRIBUTE_DIRECTORY);
    files_->FindClose(find);
}

// One folder of names under many masks. No mask here may match through an 8.3 alias where the
// long name does not: Windows, Wine and the embedded machine form aliases differently.
// \334 is U with umlaut and \374 its small letter in code page 1252.
constexpr const char* kMaskFolderFiles[] = {
    "a.txt", "B.TXT", "abc", "ac", "a.c", "abc.t", "a.b.c", "a.txt.bak", ".profile", "\334ber.txt"};

struct MaskCase {
    const char* mask;
    const char* listed; // the names found, separated by spaces
};

constexpr MaskCase kMasks[] = {
    {"*", ".profile B.TXT a.b.c a.c a.txt a.txt.bak abc abc.t ac sub \334ber.txt"},
    {"*.*", ".profile B.TXT a.b.c a.c a.txt a.txt.bak abc abc.t ac sub \334ber.txt"},
    {"*.txt", "a.txt B.TXT \334ber.txt"},
    {"*.txt*", "a.txt B.TXT \334ber.txt a.txt.bak"},
    {"?.txt", "a.txt B.TXT"},
    {"*.c", "a.c a.b.c"},
    {"*c", "abc ac a.c a.b.c"},
    {"a.*", "a.txt a.c a.b.c a.txt.bak"},
    {".*", ".profile"},
    {"*.profile", ".profile"},
    {"*.bak", "a.txt.bak"},
    {"A.TXT", "a.txt"},
    {"\374*.TXT", "\334ber.txt"},
    {"UBER.TXT", ""},
};

// DOS's "?": none at a dot or at the end of the name, and never the dot itself.
constexpr MaskCase kDosQuestionMarks[] = {
    {"a?c", "abc"}, {"ac?", "ac"}, {"a?.txt", "a.txt"}, {"abc.???", "abc abc.t"}, {"?profile", ""},
};

TEST_F(FileSystemContract, FindMasksFollowDosRules) {
    for (const char* name : kMaskFolderFiles)
        ASSERT_EQ(Write(In(name), name), ERROR_SUCCESS) << name;
    ASSERT_EQ(files_->CreateDirectory(In("sub")), ERROR_SUCCESS);

    for (const auto& c : kMasks)
        EXPECT_EQ(Listed(c.mask), Words(c.listed)) << c.mask;
    TARN_SKIP_WHERE_WINE_DIFFERS(*env_, "Wine's ? takes exactly one character, a dot too");
    for (const auto& c : kDosQuestionMarks)
        EXPECT_EQ(Listed(c.mask), Words(c.listed)) << c.mask;
}

TEST_F(FileSystemContract, ShortNamesStandInForLongOnes) {
    ASSERT_EQ(files_->CreateDirectory(In("Long Folder Name")), ERROR_SUCCESS);
    ASSERT_EQ(Write(In("Long Folder Name\\Some Document.text"), "doc"), ERROR_SUCCESS);
    ASSERT_EQ(Write(In("Long Folder Name\\SHORT.TXT"), "short"), ERROR_SUCCESS);

    std::string shortPath;
    ASSERT_EQ(files_->GetShortPathName(In("Long Folder Name\\Some Document.text"), shortPath),
              ERROR_SUCCESS);
    std::string shortDir;
    ASSERT_EQ(files_->GetShortPathName(dir_, shortDir), ERROR_SUCCESS);
    ASSERT_EQ(shortPath.compare(0, shortDir.size() + 1, shortDir + "\\"), 0) << shortPath;
    std::string rest = shortPath.substr(shortDir.size() + 1);
    auto slash = rest.find('\\');
    ASSERT_NE(slash, std::string::npos);
    std::string folderAlias = rest.substr(0, slash);
    std::string fileAlias = rest.substr(slash + 1);
    for (const auto& alias : {folderAlias, fileAlias}) {
        EXPECT_EQ(alias.find(' '), std::string::npos) << alias;
        auto dot = alias.find('.');
        EXPECT_LE(alias.substr(0, dot).size(), 8u) << alias;
        if (dot != std::string::npos) {
            EXPECT_LE(alias.size() - dot - 1, 3u) << alias;
        }
    }
    EXPECT_EQ(Read(shortPath), "doc") << "a short path opens the long-named file";

    std::string kept;
    ASSERT_EQ(files_->GetShortPathName(In("Long Folder Name\\SHORT.TXT"), kept), ERROR_SUCCESS);
    EXPECT_EQ(kept, shortDir + "\\" + folderAlias + "\\SHORT.TXT");

    HANDLE find = INVALID_HANDLE_VALUE;
    FindData data;
    ASSERT_EQ(files_->FindFirst(In("Long Folder Name\\Some*"), find, data), ERROR_SUCCESS);
    EXPECT_EQ(data.name, "Some Document.text");
    EXPECT_EQ(data.alternateName, fileAlias);
    files_->FindClose(find);

    EXPECT_EQ(files_->GetShortPathName(In("Long Folder Name\\absent.txt"), shortPath),
              ERROR_FILE_NOT_FOUND);
    TARN_SKIP_WHERE_WINE_DIFFERS(
        *env_, "Wine answers ERROR_FILE_NOT_FOUND for a missing folder in GetShortPathName");
    EXPECT_EQ(files_->GetShortPathName(In("absent\\x.txt"), shortPath), ERROR_PATH_NOT_FOUND);
}

TEST_F(FileSystemContract, FullPathsFoldDotsAndSlashes) {
    std::string full;
    ASSERT_EQ(files_->GetFullPathName("C:\\a\\b\\..\\.\\c.txt", full), ERROR_SUCCESS);
    EXPECT_EQ(full, "C:\\a\\c.txt");
    ASSERT_EQ(files_->GetFullPathName("C:/a/b/../d", full), ERROR_SUCCESS);
    EXPECT_EQ(full, "C:\\a\\d");
    ASSERT_EQ(files_->GetFullPathName("C:\\a\\..\\..\\x", full), ERROR_SUCCESS);
    EXPECT_EQ(full, "C:\\x") << ".. stops at the root";
    ASSERT_EQ(files_->GetFullPathName("C:\\a\\b\\", full), ERROR_SUCCESS);
    EXPECT_EQ(full, "C:\\a\\b\\");
}

TEST_F(FileSystemContract, TempFileNamesAreUniqueAndCreated) {
    std::string first;
    std::string second;
    ASSERT_EQ(files_->GetTempFileName(dir_, "tarn", 0, first), ERROR_SUCCESS);
    ASSERT_EQ(files_->GetTempFileName(dir_, "tarn", 0, second), ERROR_SUCCESS);
    EXPECT_NE(first, second);
    for (const auto& name : {first, second}) {
        EXPECT_EQ(name.substr(0, dir_.size() + 4), dir_ + "\\tar");
        TARN_SKIP_WHERE_WINE_DIFFERS(
            *env_, "Wine writes temporary names in lower case, the number without leading zeros");
        ASSERT_EQ(name.size(), dir_.size() + 1 + 3 + 4 + 4) << name;
        EXPECT_EQ(name.substr(name.size() - 4), ".TMP");
        EXPECT_NE(Attributes(name), INVALID_FILE_ATTRIBUTES) << "the file is made";
        EXPECT_EQ(Read(name), "");
    }

    std::string named;
    ASSERT_EQ(files_->GetTempFileName(dir_, "ab", 0x2a, named), ERROR_SUCCESS);
    EXPECT_EQ(named, dir_ + "\\ab002A.TMP");
    EXPECT_EQ(Attributes(named), INVALID_FILE_ATTRIBUTES) << "a given number only names a file";
    EXPECT_NE(files_->GetTempFileName(In("nodir"), "x", 0, named), ERROR_SUCCESS);
}

TEST_F(FileSystemContract, TimesRoundTrip) {
    ASSERT_EQ(Write(In("t.txt"), "t"), ERROR_SUCCESS);
    const FILETIME stamp = 127000000000000000ull; // 2003-06-14
    EXPECT_EQ(files_->SetLastWriteTime(In("t.txt"), stamp), ERROR_SUCCESS);
    FILETIME got = 0;
    EXPECT_EQ(files_->GetLastWriteTime(In("T.TXT"), got), ERROR_SUCCESS);
    EXPECT_EQ(got, stamp);

    HANDLE h = INVALID_HANDLE_VALUE;
    ASSERT_EQ(files_->CreateFile(In("t.txt"), GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0, h),
              ERROR_SUCCESS);
    EXPECT_EQ(files_->GetFileTime(h, got), ERROR_SUCCESS);
    EXPECT_EQ(got, stamp);
    EXPECT_EQ(files_->SetFileTime(h, stamp + 20000000), ERROR_SUCCESS);
    EXPECT_EQ(files_->CloseFile(h), ERROR_SUCCESS);
    EXPECT_EQ(files_->GetLastWriteTime(In("t.txt"), got), ERROR_SUCCESS);
    EXPECT_EQ(got, stamp + 20000000);

    // Local time differs from UTC by whole minutes, and converting back restores the value.
    FILETIME local = files_->ToLocalFileTime(stamp);
    EXPECT_EQ((local > stamp ? local - stamp : stamp - local) % 600000000, 0u);
    EXPECT_EQ(files_->FromLocalFileTime(local), stamp);
}

TEST_F(FileSystemContract, DiskSpaceIsReported) {
    std::uint64_t freeBytes = 0;
    std::uint64_t totalBytes = 0;
    ASSERT_EQ(files_->GetDiskFreeSpace(dir_.substr(0, 3), freeBytes, totalBytes), ERROR_SUCCESS);
    EXPECT_GT(totalBytes, 0u);
    EXPECT_LE(freeBytes, totalBytes);
}

} // namespace
} // namespace tarn::test
