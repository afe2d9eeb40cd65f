// Streams over platform file handles: THandleStream on a handle someone else opened, TFileStream
// opening (and closing) its own. Both go through platform::Files(), so names are Windows paths
// and share modes hold between every handle on the machine.
#pragma once

#include "framework/Streams.h"
#include "platform/FileSystem.h"

#include <string>

namespace tarn {

// Open modes: one access mode or'ed with one share mode, or fmCreate alone.
inline constexpr unsigned fmCreate = 0xFFFF; // new or truncated, read/write, exclusive
inline constexpr unsigned fmOpenRead = 0x0000;
inline constexpr unsigned fmOpenWrite = 0x0001;
inline constexpr unsigned fmOpenReadWrite = 0x0002;
inline constexpr unsigned fmShareCompat = 0x0000; // exclusive, as fmShareExclusive
inline constexpr unsigned fmShareExclusive = 0x0010;
inline constexpr unsigned fmShareDenyWrite = 0x0020;
inline constexpr unsigned fmShareDenyRead = 0x0030;
inline constexpr unsigned fmShareDenyNone = 0x0040;

class THandleStream : public TStream {
public:
    // Does not take ownership of the handle, which belongs to the file system in force now.
    explicit THandleStream(platform::HANDLE handle);
    THandleStream(const THandleStream&) = delete;
    THandleStream& operator=(const THandleStream&) = delete;

    platform::HANDLE Handle() const { return handle_; }

    // Short counts on failure; ReadBuffer and WriteBuffer turn them into exceptions.
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() override;
    // Throws EStreamError when the file cannot be resized.
    void SetSize(std::int64_t size) override;

protected:
    THandleStream();

    // The stream keeps to the file system it was made under, even if another is put in force.
    platform::IFileSystem& files_;
    platform::HANDLE handle_ = platform::INVALID_HANDLE_VALUE;
};

class TFileStream : public THandleStream {
public:
    // Throws EFCreateError (fmCreate) or EFOpenError naming the file.
    TFileStream(const std::string& fileName, unsigned mode);
    ~TFileStream() override;

    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
};

} // namespace tarn
