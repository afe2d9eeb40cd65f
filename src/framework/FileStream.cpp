#include "framework/FileStream.h"

#include "platform/Platform.h"

#include <algorithm>
#include <limits>

namespace tarn {

using namespace platform;

namespace {

// The largest single transfer a Win32 call takes.
constexpr std::size_t kMaxChunk = std::numeric_limits<DWORD>::max();

DWORD SeekMethod(TSeekOrigin origin) {
    switch (origin) {
    case soFromCurrent:
        return FILE_CURRENT;
    case soFromEnd:
        return FILE_END;
    default:
        return FILE_BEGIN;
    }
}

} // namespace

THandleStream::THandleStream(HANDLE handle) : files_(Files()), handle_(handle) {}

THandleStream::THandleStream() : files_(Files()) {}

std::size_t THandleStream::Read(void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        DWORD read = 0;
        const auto chunk = static_cast<DWORD>(std::min(count - total, kMaxChunk));
        if (files_.ReadFile(handle_, out + total, chunk, read) != ERROR_SUCCESS || read == 0) break;
        total += read;
    }
    return total;
}

std::size_t THandleStream::Write(const void* buffer, std::size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    std::size_t total = 0;
    while (total < count) {
        DWORD written = 0;
        const auto chunk = static_cast<DWORD>(std::min(count - total, kMaxChunk));
        const DWORD error = files_.WriteFile(handle_, in + total, chunk, written);
        total += written;
        if (error != ERROR_SUCCESS || written == 0) break;
    }
    return total;
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
    std::uint64_t position = 0;
    if (files_.SetFilePointer(handle_, offset, SeekMethod(origin), position) != ERROR_SUCCESS)
        throw EStreamError(SSeekError);
    return static_cast<std::int64_t>(position);
}

std::int64_t THandleStream::Size() {
    std::uint64_t size = 0;
    if (files_.GetFileSize(handle_, size) != ERROR_SUCCESS) throw EStreamError(SSeekError);
    return static_cast<std::int64_t>(size);
}

void THandleStream::SetSize(std::int64_t size) {
    if (size < 0) throw EStreamError(SSetSizeError);
    const std::int64_t position = Position();
    Seek(size, soFromBeginning);
    const DWORD error = files_.SetEndOfFile(handle_);
    Seek(std::min(position, size), soFromBeginning);
    if (error != ERROR_SUCCESS) throw EStreamError(SSetSizeError);
}

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (mode == fmCreate) {
        if (files_.CreateFile(fileName, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, handle) != ERROR_SUCCESS)
            throw EFCreateError(SFCreateError, fileName);
    } else {
        static constexpr DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE,
                                            GENERIC_READ | GENERIC_WRITE};
        static constexpr DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE};
        const unsigned access = mode & 0x3;
        const unsigned share = (mode & 0xF0) >> 4;
        if (access > 2 || share > 4 || (mode & ~0xF3u) != 0 ||
            files_.CreateFile(fileName, kAccess[access], kShare[share], OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, handle) != ERROR_SUCCESS)
            throw EFOpenError(SFOpenError, fileName);
    }
    handle_ = handle;
}

TFileStream::~TFileStream() {
    if (handle_ != INVALID_HANDLE_VALUE) files_.CloseFile(handle_);
}

} // namespace tarn
