// A temporary machine with a scripted user interface and an archive component, and the helpers
// the archive tests share: source files, raw archive bytes, and a recorder of the events.
#pragma once

#include "archive/cmp_TTarnCompress.h"
#include "platform/Platform.h"
#include "platform/ScriptedUserInterface.h"
#include "support/TempMachine.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace tarn::test {

// Deterministic contents: random bytes (incompressible) and text lines (compressible).
std::string RandomBytes(std::size_t size, std::uint32_t seed);
std::string TextBytes(std::size_t size, std::uint32_t seed);

// The raw bytes and the header at index of a single-file archive, read without the engine.
archive::TFileHeaderRecord RawHeader(const std::string& bytes, std::size_t at);
std::int32_t RawInt(const std::string& bytes, std::size_t at);

// What an event was raised with.
struct Event {
    std::string name;
    archive::TlzhFileStats stats;
    int disk = 0;
};

// Records every event of a component, in order.
class EventLog {
public:
    void Attach(archive::TTarnCompress& compress);
    std::vector<std::string> Names() const;
    std::vector<Event> Of(const std::string& name) const;
    int Count(const std::string& name) const;
    std::vector<Event> events;
};

class ArchiveTest : public testing::Test {
protected:
    // A file on drive C:, made through the host.
    void Put(const std::string& path, const std::string& content);
    std::string Get(const std::string& path) const;
    bool Exists(const std::string& path) const;
    // Sets a file's last-write time (UTC).
    void SetDate(const std::string& path, platform::FILETIME utc);
    platform::FILETIME Date(const std::string& path);
    // A PE image whose version resource gives the FileVersion "a.b.c.d".
    void PutVersioned(const std::string& path, std::uint16_t a, std::uint16_t b = 0,
                      std::uint16_t c = 0, std::uint16_t d = 0);

    // Adds files to archive with a fresh component.
    void Add(const std::string& archive, const std::vector<std::string>& files, bool append = false,
             std::int32_t id = 0, archive::TCompressionLevel level = archive::colMax);
    void Extract(const std::string& archive, const std::vector<std::string>& members,
                 const std::string& folder);

    TempMachine machine_;
    platform::ScriptedUserInterface ui_;
    platform::ScopedPlatform uiScope_{platform::Services{.ui = &ui_}};
    std::unique_ptr<archive::TTarnCompress> compress_ =
        std::make_unique<archive::TTarnCompress>(nullptr);
};

// Catches the exception an expression throws and gives its message ("" when none is thrown).
template <class E, class F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.what();
    }
    return "";
}

} // namespace tarn::test
