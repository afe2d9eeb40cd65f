// IProfile as Windows behaves, whatever the backend: INI files in a scratch folder, written and
// inspected through the platform interfaces only.
#include "platform/contract/ContractEnvironment.h"
#include "platform/contract/WineDifferences.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarn::test {
namespace {

using namespace platform;
using Lines = std::vector<std::string>;

class ProfileContract : public ::testing::Test {
protected:
    void SetUp() override {
        env_ = MakeContractEnvironment();
        profile_ = env_->GetServices().profile;
        files_ = env_->GetServices().files;
        ASSERT_NE(profile_, nullptr);
        ASSERT_NE(files_, nullptr);
        ini_ = env_->ScratchFolder() + "\\test.ini";
    }

    void Put(const std::string& content) {
        HANDLE h = INVALID_HANDLE_VALUE;
        ASSERT_EQ(
            files_->CreateFile(ini_, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, h),
            ERROR_SUCCESS);
        DWORD written = 0;
        EXPECT_EQ(files_->WriteFile(h, content.data(), static_cast<DWORD>(content.size()), written),
                  ERROR_SUCCESS);
        files_->CloseFile(h);
    }

    Lines Section(const std::string& name) {
        Lines lines;
        profile_->GetSection(ini_, name, lines);
        return lines;
    }

    Lines Names() {
        Lines names;
        profile_->GetSectionNames(ini_, names);
        return names;
    }

    std::string Get(const std::string& section, const std::string& key) {
        return profile_->GetString(ini_, section, key, "<none>");
    }

    std::unique_ptr<ContractEnvironment> env_;
    IProfile* profile_ = nullptr;
    IFileSystem* files_ = nullptr;
    std::string ini_;
};

TEST_F(ProfileContract, MissingFileReadsAsEmpty) {
    EXPECT_EQ(Section("any"), Lines{});
    EXPECT_EQ(Names(), Lines{});
    EXPECT_EQ(Get("any", "key"), "<none>");
    EXPECT_EQ(profile_->DeleteKey(ini_, "any", "key"), ERROR_SUCCESS);
    EXPECT_EQ(profile_->EraseSection(ini_, "any"), ERROR_SUCCESS);
}

TEST_F(ProfileContract, ReadsSectionsKeysAndValues) {
    Put("; leading comment\r\n"
        "[General]\r\n"
        "Name=Tarnwell\r\n"
        "; a comment inside\r\n"
        "\r\n"
        "Quoted=\"with spaces \"\r\n"
        "bare line\r\n"
        "Empty=\r\n"
        "[Files]\n"
        "a=1\n"
        "b=2\n"
        "  Spaced  =  value with space  \n");
    EXPECT_EQ(Names(), (Lines{"General", "Files"}));
    EXPECT_EQ(Section("general"),
              (Lines{"Name=Tarnwell", "Quoted=\"with spaces \"", "bare line", "Empty="}));
    Lines files = Section("FILES");
    ASSERT_EQ(files.size(), 3u) << "LF line ends read too";
    EXPECT_EQ(files[0], "a=1");
    EXPECT_EQ(files[1], "b=2");
    EXPECT_EQ(Section("Missing"), Lines{});

    EXPECT_EQ(Get("GENERAL", "name"), "Tarnwell");
    EXPECT_EQ(Get("General", "Quoted"), "with spaces ") << "surrounding quotes are dropped";
    EXPECT_EQ(Get("General", "Empty"), "");
    EXPECT_EQ(Get("General", "Absent"), "<none>");
    EXPECT_EQ(Get("Files", "b"), "2");
    EXPECT_EQ(Get("Files", "spaced"), "value with space") << "blanks around names and values go";
    EXPECT_EQ(Get("Absent", "a"), "<none>");
}

TEST_F(ProfileContract, WritesReplaceInPlaceAndAppendNewKeys) {
    Put("[S]\r\nfirst=1\r\nsecond=2\r\nthird=3\r\n\r\n[T]\r\nx=y\r\n");
    EXPECT_EQ(profile_->WriteString(ini_, "s", "SECOND", "two"), ERROR_SUCCESS);
    EXPECT_EQ(Section("S"), (Lines{"first=1", "second=two", "third=3"}));
    EXPECT_EQ(profile_->WriteString(ini_, "S", "fourth", "4"), ERROR_SUCCESS);
    EXPECT_EQ(Section("S"), (Lines{"first=1", "second=two", "third=3", "fourth=4"}));
    EXPECT_EQ(Section("T"), (Lines{"x=y"}));

    EXPECT_EQ(profile_->WriteString(ini_, "New", "k", "v"), ERROR_SUCCESS);
    EXPECT_EQ(Names(), (Lines{"S", "T", "New"})) << "a new section goes last";
    EXPECT_EQ(Get("new", "K"), "v");
}

TEST_F(ProfileContract, WritingCreatesTheFile) {
    EXPECT_EQ(profile_->WriteString(ini_, "App", "Version", "1.0"), ERROR_SUCCESS);
    EXPECT_EQ(profile_->WriteString(ini_, "App", "Path", "C:\\App"), ERROR_SUCCESS);
    EXPECT_EQ(Section("App"), (Lines{"Version=1.0", "Path=C:\\App"}));
    DWORD attributes = 0;
    EXPECT_EQ(files_->GetAttributes(ini_, attributes), ERROR_SUCCESS);

    EXPECT_NE(profile_->WriteString(env_->ScratchFolder() + "\\nodir\\x.ini", "a", "b", "c"),
              ERROR_SUCCESS);
}

TEST_F(ProfileContract, DeleteKeyAndEraseSection) {
    Put("[A]\r\nk1=1\r\nk2=2\r\n[B]\r\n; about b\r\nb=1\r\n\r\n[C]\r\nc=1\r\n");
    EXPECT_EQ(profile_->DeleteKey(ini_, "a", "K1"), ERROR_SUCCESS);
    EXPECT_EQ(Section("A"), (Lines{"k2=2"}));
    EXPECT_EQ(profile_->DeleteKey(ini_, "A", "absent"), ERROR_SUCCESS);
    EXPECT_EQ(Section("A"), (Lines{"k2=2"}));

    EXPECT_EQ(profile_->EraseSection(ini_, "b"), ERROR_SUCCESS);
    EXPECT_EQ(Names(), (Lines{"A", "C"}));
    EXPECT_EQ(Section("C"), (Lines{"c=1"}));
    EXPECT_EQ(Get("B", "b"), "<none>");
}

TEST_F(ProfileContract, ReadOnlyFileRefusesWrites) {
    Put("[S]\r\nk=old\r\n");
    ASSERT_EQ(files_->SetAttributes(ini_, FILE_ATTRIBUTE_READONLY), ERROR_SUCCESS);
    TARN_SKIP_WHERE_WINE_DIFFERS(
        *env_, "Wine keeps the read-only attribute as a Unix permission, which root ignores");
    EXPECT_NE(profile_->WriteString(ini_, "S", "k", "new"), ERROR_SUCCESS);
    EXPECT_NE(profile_->EraseSection(ini_, "S"), ERROR_SUCCESS);
    EXPECT_EQ(Get("S", "k"), "old") << "a read-only file can still be read";
    files_->SetAttributes(ini_, FILE_ATTRIBUTE_NORMAL);
}

} // namespace
} // namespace tarn::test
