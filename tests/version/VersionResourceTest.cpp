// TVersionResource reading files on a temporary machine, and the texts it derives from the
// fixed information.
#include "platform/Platform.h"
#include "support/TempMachine.h"
#include "version/PeWriter.h"
#include "version/VersionInfoReader.h"
#include "version/VersionTables.h"
#include "version/cmp_TVersion.h"

#include <gtest/gtest.h>

namespace tarn::test {
namespace {

using namespace tarn::version;

VersionSpec FullSpec() {
    VersionSpec layout;
    layout.fileVersion = {4, 0, 1381, 1};
    layout.productVersion = {4, 2, 0, 7};
    layout.tables.push_back({"040904E4",
                             {{"Comment", u"Built for tests"},
                              {"CompanyName", u"Tarn Test Co"},
                              {"FileDescription", u"Sample program"},
                              {"FileVersion", u"9.9.9.9 (never used)"},
                              {"InternalName", u"sample"},
                              {"LegalCopyright", u"Copyright \u00A9 1997"},
                              {"LegalTrademarks", u"Tarn\u2122"},
                              {"OriginalFilename", u"SAMPLE.EXE"},
                              {"PrivateBuild", u"private"},
                              {"ProductName", u"Tarn Sample"},
                              {"ProductVersion", u"4.2 beta"},
                              {"SpecialBuild", u"special"}}});
    layout.translations = {{0x0409, 1252}};
    return layout;
}

class VersionResourceTest : public testing::Test {
protected:
    void Put(const std::string& windowsPath, const Bytes& bytes) {
        WriteHostFile(machine_.Host(windowsPath), AsString(bytes));
    }
    void PutPe(const std::string& windowsPath, const VersionSpec& layout, bool plus = false,
               bool dll = false) {
        Put(windowsPath, BuildPeWithVersion(layout, plus, dll).bytes);
    }
    std::unique_ptr<TVersionResource> Reader(const std::string& fileName) {
        auto reader = std::make_unique<TVersionResource>(nullptr);
        reader->SetFileName(fileName);
        return reader;
    }

    TempMachine machine_;
};

TEST_F(VersionResourceTest, StartsOnTheRunningProgramWithUSEnglishAndMultilingual) {
    auto reader = std::make_unique<TVersionResource>(nullptr);
    EXPECT_EQ(reader->FileName(), platform::System().GetModuleFileName());
    EXPECT_EQ(reader->Language(), lnUSEnglish);
    EXPECT_EQ(reader->CharacterSet(), csMultilingual);
    EXPECT_FALSE(reader->FileNameStored());
    std::string otherCase = reader->FileName(); // stored: the comparison heeds case
    for (char& c : otherCase)
        c = static_cast<char>(c ^ (std::isalpha(c) ? 0x20 : 0));
    reader->SetFileName(otherCase);
    EXPECT_TRUE(reader->FileNameStored());
}

TEST_F(VersionResourceTest, ReadsFixedAndStringInformation) {
    for (bool plus : {false, true}) {
        PutPe("C:\\APP\\SAMPLE.EXE", FullSpec(), plus);
        auto reader = Reader("C:\\APP\\SAMPLE.EXE");
        const TVersionInfo& info = reader->VersionInfo();
        EXPECT_EQ(info.FileVersion(), "4.0.1381.1") << "never from the string table";
        EXPECT_EQ(info.ProductVersion(), "4.2 beta") << "the string table's text wins";
        EXPECT_EQ(info.Comment(), "Built for tests");
        EXPECT_EQ(info.CompanyName(), "Tarn Test Co");
        EXPECT_EQ(info.FileDescription(), "Sample program");
        EXPECT_EQ(info.InternalName(), "sample");
        EXPECT_EQ(info.LegalCopyright(), "Copyright \xA9 1997");
        EXPECT_EQ(info.LegalTradeMarks(), "Tarn\x99");
        EXPECT_EQ(info.OriginalFileName(), "SAMPLE.EXE");
        EXPECT_EQ(info.PrivateBuild(), "private");
        EXPECT_EQ(info.ProductName(), "Tarn Sample");
        EXPECT_EQ(info.SpecialBuild(), "special");
        EXPECT_EQ(info.FileOS(), "Windows NT with 32 bit Windows");
        EXPECT_EQ(info.FileType(), "Application");
        EXPECT_EQ(info.FileSubType(), "");
        EXPECT_EQ(info.LanguageValue(), 0x009);
    }
}

TEST_F(VersionResourceTest, ProductVersionFallsBackToTheFixedInformation) {
    VersionSpec layout = FullSpec();
    std::erase_if(layout.tables[0].strings,
                  [](const auto& s) { return s.first == "ProductVersion"; });
    PutPe("C:\\A.EXE", layout);
    EXPECT_EQ(Reader("C:\\A.EXE")->VersionInfo().ProductVersion(), "4.2.0.7");
}

TEST_F(VersionResourceTest, StringTableOfAnotherLanguageLeavesTheTextsEmpty) {
    VersionSpec layout = FullSpec();
    layout.tables[0].key = "040704E4";
    layout.translations = {{0x0407, 1252}};
    PutPe("C:\\DE.DLL", layout);
    auto reader = Reader("C:\\DE.DLL");
    const TVersionInfo& info = reader->VersionInfo();
    EXPECT_EQ(info.FileVersion(), "4.0.1381.1");
    EXPECT_EQ(info.ProductVersion(), "4.2.0.7");
    EXPECT_EQ(info.FileOS(), "Windows NT with 32 bit Windows");
    EXPECT_EQ(info.FileType(), "Application");
    EXPECT_EQ(info.CompanyName(), "");
    EXPECT_EQ(info.Comment(), "");
    EXPECT_EQ(info.LanguageValue(), 0x007);

    reader->SetLanguage(lnGerman); // setting it reads again
    EXPECT_EQ(reader->VersionInfo().CompanyName(), "Tarn Test Co");
    EXPECT_EQ(reader->VersionInfo().ProductVersion(), "4.2 beta");
    reader->SetCharacterSet(csLatin2);
    EXPECT_EQ(reader->VersionInfo().CompanyName(), "");
    EXPECT_EQ(reader->VersionInfo().FileVersion(), "4.0.1381.1");
}

TEST_F(VersionResourceTest, ValuesOutsideTheirTypeFailAndChangeNothing) {
    PutPe("C:\\A.EXE", FullSpec());
    auto reader = Reader("C:\\A.EXE");
    EXPECT_THROW(reader->SetLanguage(static_cast<TLanguage>(45)), Exception);
    EXPECT_THROW(reader->SetLanguage(static_cast<TLanguage>(-1)), Exception);
    EXPECT_THROW(reader->SetCharacterSet(static_cast<TCharacterSet>(12)), Exception);
    EXPECT_EQ(reader->Language(), lnUSEnglish);
    EXPECT_EQ(reader->CharacterSet(), csMultilingual);
    EXPECT_EQ(reader->VersionInfo().CompanyName(), "Tarn Test Co");
}

TEST_F(VersionResourceTest, EachReadStartsFromEmptyTexts) {
    PutPe("C:\\A.EXE", FullSpec());
    VersionSpec bare;
    bare.fileVersion[0] = 2;
    PutPe("C:\\B.EXE", bare);
    Put("C:\\C.TXT", Bytes(300, 'x'));
    auto reader = Reader("C:\\A.EXE");
    ASSERT_EQ(reader->VersionInfo().CompanyName(), "Tarn Test Co");
    reader->SetFileName("C:\\B.EXE");
    EXPECT_EQ(reader->VersionInfo().FileVersion(), "2.0.0.0");
    EXPECT_EQ(reader->VersionInfo().CompanyName(), "");
    EXPECT_EQ(reader->VersionInfo().LanguageValue(), 0);
    for (const char* none : {"C:\\C.TXT", "C:\\MISSING.EXE", "", "C:\\"}) {
        reader->SetFileName("C:\\A.EXE");
        reader->SetFileName(none);
        EXPECT_EQ(reader->VersionInfo(), TVersionInfo{}) << none;
    }
}

TEST_F(VersionResourceTest, NoFixedInformationMeansNoInformationAtAll) {
    VersionSpec layout = FullSpec();
    layout.withFixed = false;
    PutPe("C:\\A.EXE", layout);
    EXPECT_EQ(Reader("C:\\A.EXE")->VersionInfo(), TVersionInfo{});
    layout = FullSpec();
    layout.signature = 0x12345678;
    PutPe("C:\\B.EXE", layout);
    EXPECT_EQ(Reader("C:\\B.EXE")->VersionInfo(), TVersionInfo{});
}

TEST_F(VersionResourceTest, LanguageValueOnlyForExactlyOneTranslation) {
    VersionSpec layout = FullSpec();
    layout.translations = {{0x0C0C, 1252}};
    PutPe("C:\\ONE.EXE", layout);
    EXPECT_EQ(Reader("C:\\ONE.EXE")->VersionInfo().LanguageValue(), 0x00C);
    layout.translations = {{0x0409, 1252}, {0x0407, 1252}};
    PutPe("C:\\TWO.EXE", layout);
    EXPECT_EQ(Reader("C:\\TWO.EXE")->VersionInfo().LanguageValue(), 0);
    layout.translations.clear();
    PutPe("C:\\NONE.EXE", layout);
    EXPECT_EQ(Reader("C:\\NONE.EXE")->VersionInfo().LanguageValue(), 0);
}

TEST_F(VersionResourceTest, DllAndPrinterDriverTypes) {
    VersionSpec layout = FullSpec();
    layout.fileType = 2;
    layout.fileSubtype = 1; // ignored for libraries
    PutPe("C:\\LIB.DLL", layout, false, true);
    auto reader = Reader("C:\\LIB.DLL");
    EXPECT_EQ(reader->VersionInfo().FileType(), "Dynamic-Link Library");
    EXPECT_EQ(reader->VersionInfo().FileSubType(), "");
    layout.fileType = 3;
    layout.fileSubtype = 1;
    PutPe("C:\\PRINTER.DRV", layout, true, true);
    reader->SetFileName("C:\\PRINTER.DRV");
    EXPECT_EQ(reader->VersionInfo().FileType(), "Device Driver");
    EXPECT_EQ(reader->VersionInfo().FileSubType(), "Printer");
}

TEST_F(VersionResourceTest, TheStandardCommentsKeyIsReadWhenCommentIsMissing) {
    VersionSpec layout = FullSpec();
    layout.tables[0].strings[0] = {"Comments", u"standard key"};
    PutPe("C:\\A.EXE", layout);
    EXPECT_EQ(Reader("C:\\A.EXE")->VersionInfo().Comment(), "standard key");
    layout.tables[0].strings.push_back({"Comment", u"own key"});
    PutPe("C:\\B.EXE", layout);
    EXPECT_EQ(Reader("C:\\B.EXE")->VersionInfo().Comment(), "own key");
}

TEST_F(VersionResourceTest, AKeyPresentWithAnEmptyValueReplacesTheFixedText) {
    VersionSpec layout = FullSpec();
    for (auto& [key, text] : layout.tables[0].strings)
        if (key == "ProductVersion") text.clear();
    PutPe("C:\\A.EXE", layout);
    EXPECT_EQ(Reader("C:\\A.EXE")->VersionInfo().ProductVersion(), "");
}

TEST_F(VersionResourceTest, WhileLoadingTheFileIsReadOnceLoadingEnds) {
    PutPe("C:\\A.EXE", FullSpec());
    auto reader = std::make_unique<TVersionResource>(nullptr);
    reader->BeginLoading();
    reader->SetFileName("C:\\A.EXE");
    EXPECT_EQ(reader->VersionInfo().CompanyName(), "");
    reader->EndLoading();
    EXPECT_EQ(reader->VersionInfo().CompanyName(), "Tarn Test Co");
}

TEST_F(VersionResourceTest, ReadsAFileOthersHaveOpenForWriting) {
    PutPe("C:\\A.EXE", FullSpec());
    platform::HANDLE h = platform::INVALID_HANDLE_VALUE;
    ASSERT_EQ(platform::Files().CreateFile("C:\\A.EXE", platform::GENERIC_WRITE,
                                           platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                                           platform::OPEN_EXISTING, 0, h),
              platform::ERROR_SUCCESS);
    EXPECT_EQ(Reader("C:\\A.EXE")->VersionInfo().CompanyName(), "Tarn Test Co");
    platform::Files().CloseFile(h);
}

// The texts of the fixed information, checked through a resource read from memory.
TVersionInfo FromFixed(std::uint32_t os, std::uint32_t type, std::uint32_t subtype) {
    VersionSpec layout;
    layout.fileOS = os;
    layout.fileType = type;
    layout.fileSubtype = subtype;
    TVersionInfo info;
    FillVersionInfo(BuildVersionResource(layout), 0x0409, 1252, info);
    return info;
}

// Spot checks of the text tables: a plain entry, a combined one, the ends of each range and the
// values between and beyond them.
TEST(FixedInformationTexts, OperatingSystemsAndFileTypes) {
    const std::pair<std::uint32_t, const char*> systems[] = {
        {0x4, "32 bit Windows"}, {0x10000, "MS-Dos"}, {0x40004, "Windows NT with 32 bit Windows"},
        {0x0, "Unknown"},        {0x5, "Unknown"},    {0x40001, "Unknown"}};
    for (const auto& [os, text] : systems)
        EXPECT_EQ(FromFixed(os, 1, 0).FileOS(), text) << os;
    const std::pair<std::uint32_t, const char*> types[] = {{1, "Application"},
                                                           {2, "Dynamic-Link Library"},
                                                           {7, "Static-Link Library"},
                                                           {0, "Unknown"},
                                                           {6, "Unknown"},
                                                           {8, "Unknown"}};
    for (const auto& [type, text] : types)
        EXPECT_EQ(FromFixed(4, type, 0).FileType(), text) << type;
}

TEST(FixedInformationTexts, SubtypesOnlyForDriversAndFonts) {
    const std::pair<std::uint32_t, const char*> drivers[] = {
        {1, "Printer"}, {5, "Mouse"}, {10, "Communications"}, {0, "Unknown"}, {11, "Unknown"}};
    for (const auto& [subtype, text] : drivers)
        EXPECT_EQ(FromFixed(4, 3, subtype).FileSubType(), text) << subtype;
    const std::pair<std::uint32_t, const char*> fonts[] = {
        {1, "Raster"}, {3, "TrueType"}, {0, "Unknown"}, {4, "Unknown"}};
    for (const auto& [subtype, text] : fonts)
        EXPECT_EQ(FromFixed(4, 4, subtype).FileSubType(), text) << subtype;
    for (std::uint32_t type : {1u, 2u, 5u, 7u, 9u})
        EXPECT_EQ(FromFixed(4, type, 1).FileSubType(), "") << type;
}

TEST(FixedInformationTexts, VersionPartsAreSixteenBitsEach) {
    VersionSpec layout;
    layout.fileVersion = {65535, 0, 1, 65534};
    TVersionInfo info;
    FillVersionInfo(BuildVersionResource(layout), 0x0409, 1252, info);
    EXPECT_EQ(info.FileVersion(), "65535.0.1.65534");
}

TEST(VersionTables, LanguageAndCodePageTables) {
    EXPECT_EQ(kLanguageCount, lnSwissFrench + 1);
    EXPECT_EQ(LanguageId(lnArabic), 0x0401);
    EXPECT_EQ(LanguageId(lnUSEnglish), 0x0409);
    EXPECT_EQ(LanguageId(lnBahasa), 0x0421);
    EXPECT_EQ(LanguageId(lnSimplifiedChinese), 0x0804);
    EXPECT_EQ(LanguageId(lnSerboCroatian), 0x081A);
    EXPECT_EQ(LanguageId(lnCanadianFrench), 0x0C0C);
    EXPECT_EQ(LanguageId(lnSwissFrench), 0x100C);
    // The first 33 values are 0401..0421 in order.
    for (int i = 0; i <= lnBahasa; ++i)
        EXPECT_EQ(LanguageId(static_cast<TLanguage>(i)), 0x0401 + i);
    EXPECT_EQ(kCharacterSetCount, csArabic + 1);
    EXPECT_EQ(CharacterSetCodePage(csASCII), 0);
    EXPECT_EQ(CharacterSetCodePage(csJapan), 932);
    EXPECT_EQ(CharacterSetCodePage(csUnicode), 1200);
    EXPECT_EQ(CharacterSetCodePage(csMultilingual), 1252);
    EXPECT_EQ(CharacterSetCodePage(csArabic), 1256);
    EXPECT_EQ(StringTablePath(LanguageId(lnUSEnglish), CharacterSetCodePage(csMultilingual)),
              "\\StringFileInfo\\040904E4\\");
    EXPECT_EQ(StringTablePath(0x0C0C, 0), "\\StringFileInfo\\0C0C0000\\");
    EXPECT_EQ(LanguageFromName("LNGERMAN"), lnGerman);
    EXPECT_EQ(CharacterSetFromName("csCyrillic"), csCyrillic);
    EXPECT_EQ(OverwriteTypeFromName("owVersionDate"), owVersionDate);
    EXPECT_EQ(OverwriteTypeFromName("owNothing"), std::nullopt);
}

TEST(TVersionInfoTexts, ByNameInDeclarationOrder) {
    TVersionInfo info;
    ASSERT_EQ(TVersionInfo::PropertyNames().size(), 15u);
    EXPECT_EQ(TVersionInfo::PropertyNames().front(), "Comment");
    EXPECT_EQ(TVersionInfo::PropertyNames().back(), "FileSubType");
    info.SetText("LegalTradeMarks", "TM");
    EXPECT_EQ(info.LegalTradeMarks(), "TM");
    info.SetFileOS("os");
    EXPECT_EQ(info.Text("FileOS"), "os");
    EXPECT_THROW(info.Text("Nothing"), Exception);
    info.SetLanguageValue(9);
    info.Clear();
    EXPECT_EQ(info, TVersionInfo{});
}

} // namespace
} // namespace tarn::test
