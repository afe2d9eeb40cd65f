// INI files of the embedded machine: where bare names go, the exact text an edit leaves, and
// failures coming from the file system underneath.
#include "platform/portable/Faults.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarn::test {
namespace {

namespace fs = std::filesystem;
using namespace platform;

class PortableProfileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(machine_.Host("C:\\Scratch")); }

    IProfile& Profile() { return *machine_->GetServices().profile; }
    IFileSystem& Files() { return *machine_->GetServices().files; }
    fs::path Host() const { return machine_.Host(kIni); }
    void Put(const std::string& text) { WriteHostFile(Host(), text); }
    std::string Text() const { return ReadHostFile(Host()); }

    static constexpr const char* kIni = "C:\\Scratch\\app.ini";
    TempMachine machine_;
};

TEST_F(PortableProfileTest, BareNamesLiveInTheWindowsFolder) {
    ASSERT_EQ(Profile().WriteString("Tarn.INI", "Main", "Key", "Value"), ERROR_SUCCESS);
    EXPECT_EQ(ReadHostFile(machine_.Host("C:\\WINDOWS\\Tarn.INI")), "[Main]\r\nKey=Value\r\n");
    EXPECT_EQ(Profile().GetString("tarn.ini", "main", "key", ""), "Value");
}

TEST_F(PortableProfileTest, EditsKeepTheRestOfTheText) {
    Put("; settings\r\n[A]\r\nOne = 1\r\n; keep me\r\nTwo=2\r\n\r\n\r\n[B]\r\nb=1\r\n");
    ASSERT_EQ(Profile().WriteString(kIni, "a", "ONE", "uno"), ERROR_SUCCESS);
    EXPECT_EQ(Text(),
              "; settings\r\n[A]\r\nOne=uno\r\n; keep me\r\nTwo=2\r\n\r\n\r\n[B]\r\nb=1\r\n")
        << "the key keeps its own spelling";
    ASSERT_EQ(Profile().WriteString(kIni, "A", "Three", "3"), ERROR_SUCCESS);
    EXPECT_EQ(
        Text(),
        "; settings\r\n[A]\r\nOne=uno\r\n; keep me\r\nTwo=2\r\nThree=3\r\n\r\n\r\n[B]\r\nb=1\r\n")
        << "a new key goes before the blank lines that end the section";
    ASSERT_EQ(Profile().WriteString(kIni, "C", "c", "x"), ERROR_SUCCESS);
    EXPECT_EQ(Text(), "; settings\r\n[A]\r\nOne=uno\r\n; keep me\r\nTwo=2\r\nThree=3\r\n\r\n\r\n"
                      "[B]\r\nb=1\r\n[C]\r\nc=x\r\n");
    ASSERT_EQ(Profile().DeleteKey(kIni, "B", "b"), ERROR_SUCCESS);
    ASSERT_EQ(Profile().EraseSection(kIni, "a"), ERROR_SUCCESS);
    EXPECT_EQ(Text(), "; settings\r\n[B]\r\n[C]\r\nc=x\r\n");
}

TEST_F(PortableProfileTest, LineFeedFilesAreReadAndWrittenBackWithCrLf) {
    Put("[S]\nk=v\nlast=no newline");
    EXPECT_EQ(Profile().GetString(kIni, "S", "last", ""), "no newline");
    ASSERT_EQ(Profile().WriteString(kIni, "S", "k", "w"), ERROR_SUCCESS);
    EXPECT_EQ(Text(), "[S]\r\nk=w\r\nlast=no newline\r\n");
    ASSERT_EQ(Profile().WriteString(kIni, "S", "k", "w"), ERROR_SUCCESS);
    EXPECT_EQ(Text(), "[S]\r\nk=w\r\nlast=no newline\r\n");
}

TEST_F(PortableProfileTest, FailuresOfTheFileComeThrough) {
    Put("[S]\r\nk=v\r\n");
    ASSERT_EQ(Files().SetAttributes(kIni, FILE_ATTRIBUTE_READONLY), ERROR_SUCCESS);
    EXPECT_EQ(Profile().WriteString(kIni, "S", "k", "new"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Profile().DeleteKey(kIni, "S", "k"), ERROR_ACCESS_DENIED);
    ASSERT_EQ(Files().SetAttributes(kIni, FILE_ATTRIBUTE_NORMAL), ERROR_SUCCESS);

    machine_->GetFaults().busyFiles.push_back(kIni);
    EXPECT_EQ(Profile().WriteString(kIni, "S", "k", "new"), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(Profile().GetString(kIni, "S", "k", "default"), "default");
    machine_->GetFaults().Clear();

    HANDLE h = INVALID_HANDLE_VALUE;
    ASSERT_EQ(Files().CreateFile(kIni, GENERIC_READ, 0, OPEN_EXISTING, 0, h), ERROR_SUCCESS);
    EXPECT_EQ(Profile().EraseSection(kIni, "S"), ERROR_SHARING_VIOLATION);
    Files().CloseFile(h);
    EXPECT_EQ(Text(), "[S]\r\nk=v\r\n");
}

TEST_F(PortableProfileTest, AHiddenFileStaysHidden) {
    Put("[S]\r\n");
    ASSERT_EQ(Files().SetAttributes(kIni, FILE_ATTRIBUTE_HIDDEN), ERROR_SUCCESS);
    ASSERT_EQ(Profile().WriteString(kIni, "S", "k", "v"), ERROR_SUCCESS);
    DWORD attributes = 0;
    ASSERT_EQ(Files().GetAttributes(kIni, attributes), ERROR_SUCCESS);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(attributes & FILE_ATTRIBUTE_ARCHIVE) << "writing archives the file";
}

} // namespace
} // namespace tarn::test
