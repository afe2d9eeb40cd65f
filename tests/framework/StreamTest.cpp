#include "framework/MemoryStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarn {
namespace {

std::string Contents(const TMemoryStream& s) {
    return std::string(reinterpret_cast<const char*>(s.Memory()),
                       static_cast<std::size_t>(const_cast<TMemoryStream&>(s).Size()));
}

// A read-only stream over a fixed text, relying on the TStream defaults for Size and SetSize.
class TTextStream : public TStream {
public:
    explicit TTextStream(std::string text) : text_(std::move(text)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n =
            position_ < text_.size() ? std::min(count, text_.size() - position_) : 0;
        text_.copy(static_cast<char*>(buffer), n, position_);
        position_ += n;
        return n;
    }
    std::size_t Write(const void*, std::size_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        const std::int64_t base = origin == soFromBeginning ? 0
                                  : origin == soFromCurrent
                                      ? static_cast<std::int64_t>(position_)
                                      : static_cast<std::int64_t>(text_.size());
        position_ = static_cast<std::size_t>(base + offset);
        return static_cast<std::int64_t>(position_);
    }

private:
    std::string text_;
    std::size_t position_ = 0;
};

TEST(MemoryStream, GrowsOnWriteAndZeroFillsGaps) {
    TMemoryStream s;
    s.WriteBuffer("abc", 3);
    EXPECT_EQ(s.Seek(2, soFromEnd), 5);
    s.WriteBuffer("z", 1);
    EXPECT_EQ(Contents(s), std::string("abc\0\0z", 6));
    EXPECT_EQ(s.Seek(-4, soFromCurrent), 2);
    EXPECT_THROW(s.Seek(-1, soFromBeginning), EStreamError);
    EXPECT_EQ(s.Position(), 2);
}

TEST(MemoryStream, ShortReadsCountAndReadBufferThrows) {
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    s.SetPosition(3);
    char buffer[8] = {};
    EXPECT_EQ(s.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::string(buffer, 2), "lo");
    EXPECT_EQ(s.Read(buffer, 1), 0u);
    s.SetPosition(1);
    try {
        s.ReadBuffer(buffer, 5);
        FAIL() << "short read accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    s.SetPosition(9); // past the end reads nothing rather than garbage
    EXPECT_EQ(s.Read(buffer, 1), 0u);
}

TEST(MemoryStream, SetSizeKeepsThePositionUnlessItFallsOff) {
    TMemoryStream s;
    s.WriteBuffer("0123456789", 10);
    s.SetPosition(4);
    s.SetSize(20);
    EXPECT_EQ(s.Position(), 4);
    EXPECT_EQ(s.Memory()[15], 0);
    s.SetSize(2);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(Contents(s), "01");
    s.Clear();
    EXPECT_EQ(s.Size(), 0);
    EXPECT_EQ(s.Position(), 0);
}

TEST(Stream, CopyFromZeroCopiesTheWholeSourceFromItsStart) {
    std::string big(200000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 % 251);
    TTextStream source(big);
    source.Seek(1234, soFromBeginning);
    TMemoryStream target;
    target.WriteBuffer(">", 1);
    EXPECT_EQ(target.CopyFrom(source, 0), 200000);
    EXPECT_EQ(Contents(target), ">" + big);
}

TEST(Stream, CopyFromCountStartsAtTheSourcePosition) {
    TTextStream source("0123456789");
    source.Seek(3, soFromBeginning);
    TMemoryStream target;
    EXPECT_EQ(target.CopyFrom(source, 4), 4);
    EXPECT_EQ(Contents(target), "3456");
    EXPECT_EQ(source.Position(), 7);
    EXPECT_THROW(target.CopyFrom(source, 4), EReadError); // only 3 left
}

TEST(Stream, DefaultSizeRestoresThePositionAndFixedStreamsRefuseResizing) {
    TTextStream source("abcdef");
    source.Seek(2, soFromBeginning);
    EXPECT_EQ(source.Size(), 6);
    EXPECT_EQ(source.Position(), 2);
    EXPECT_THROW(source.SetSize(1), EStreamError);
    EXPECT_THROW(source.WriteBuffer("x", 1), EWriteError);
}

TEST(MemoryStream, LoadsWholeStreamsAndSavesItsWholeContents) {
    TTextStream source("payload");
    source.Seek(3, soFromBeginning);
    TMemoryStream s;
    s.WriteBuffer("previous contents", 17);
    s.LoadFromStream(source);
    EXPECT_EQ(Contents(s), "payload");
    EXPECT_EQ(s.Position(), 0);
    s.Seek(0, soFromEnd);
    TMemoryStream copy;
    s.SaveToStream(copy);
    EXPECT_EQ(Contents(copy), "payload");
}

} // namespace
} // namespace tarn
