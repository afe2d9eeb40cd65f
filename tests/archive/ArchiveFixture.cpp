#include "ArchiveFixture.h"

#include "version/PeWriter.h"

#include <random>

namespace tarn::test {

using namespace tarn::archive;

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xFF);
    return bytes;
}

std::string TextBytes(std::size_t size, std::uint32_t seed) {
    static const char* const words[] = {"archive", "member", "volume", "header", "setup",
                                        "install", "disk",   "file",   "zlib",   "stream"};
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < size) {
        text += words[random() % 10];
        text += (random() % 8 == 0) ? "\r\n" : " ";
    }
    text.resize(size);
    return text;
}

archive::TFileHeaderRecord RawHeader(const std::string& bytes, std::size_t at) {
    TFileHeaderBytes raw{};
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), kFileHeaderSize, raw.begin());
    return DecodeFileHeader(raw);
}

std::int32_t RawInt(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[at + static_cast<std::size_t>(i)]);
    return static_cast<std::int32_t>(v);
}

void EventLog::Attach(TTarnCompress& compress) {
    auto stats = [this](const char* name) {
        return [this, name](TTarnCompress&, const TlzhFileStats& s) {
            events.push_back({name, s, 0});
        };
    };
    compress.OnAfterAdding = stats("AfterAdding");
    compress.OnBeforeAdding = stats("BeforeAdding");
    compress.OnAfterExtracting = stats("AfterExtracting");
    compress.OnBeforeExtracting = stats("BeforeExtracting");
    compress.OnListing = stats("Listing");
    compress.OnReplace = stats("Replace");
    compress.OnStatus = stats("Status");
    compress.OnAborted = [this](TTarnCompress&) { events.push_back({"Aborted", {}, 0}); };
}

std::vector<std::string> EventLog::Names() const {
    std::vector<std::string> names;
    for (const Event& e : events)
        names.push_back(e.name);
    return names;
}

std::vector<Event> EventLog::Of(const std::string& name) const {
    std::vector<Event> found;
    for (const Event& e : events)
        if (e.name == name) found.push_back(e);
    return found;
}

int EventLog::Count(const std::string& name) const {
    return static_cast<int>(Of(name).size());
}

void ArchiveTest::Put(const std::string& path, const std::string& content) {
    WriteHostFile(machine_.Host(path), content);
}

std::string ArchiveTest::Get(const std::string& path) const {
    return ReadHostFile(machine_.Host(path));
}

bool ArchiveTest::Exists(const std::string& path) const {
    return std::filesystem::exists(machine_.Host(path));
}

void ArchiveTest::SetDate(const std::string& path, platform::FILETIME utc) {
    ASSERT_EQ(platform::Files().SetLastWriteTime(path, utc), platform::ERROR_SUCCESS);
}

platform::FILETIME ArchiveTest::Date(const std::string& path) {
    platform::FILETIME time = 0;
    EXPECT_EQ(platform::Files().GetLastWriteTime(path, time), platform::ERROR_SUCCESS);
    return time;
}

void ArchiveTest::PutVersioned(const std::string& path, std::uint16_t a, std::uint16_t b,
                               std::uint16_t c, std::uint16_t d) {
    VersionSpec layout;
    layout.fileVersion[0] = a;
    layout.fileVersion[1] = b;
    layout.fileVersion[2] = c;
    layout.fileVersion[3] = d;
    Put(path, AsString(BuildPeWithVersion(layout).bytes));
}

void ArchiveTest::Add(const std::string& archive, const std::vector<std::string>& files,
                      bool append, std::int32_t id, TCompressionLevel level) {
    auto compress = std::make_unique<TTarnCompress>(nullptr);
    compress->SetCompressedFile(archive);
    compress->SetCompressionLevel(level);
    for (const std::string& f : files)
        compress->FilesToProcess().Add(f);
    compress->AddFiles(append, id);
}

void ArchiveTest::Extract(const std::string& archive, const std::vector<std::string>& members,
                          const std::string& folder) {
    auto compress = std::make_unique<TTarnCompress>(nullptr);
    compress->SetCompressedFile(archive);
    compress->SetExtractDirectory(folder);
    for (const std::string& m : members)
        compress->FilesToProcess().Add(m);
    compress->ExtractFiles();
}

} // namespace tarn::test
