// The file comparisons of TVersionResource, the version text comparison and the shared reader.
#include "framework/FileExists.h"
#include "framework/FileStream.h"
#include "platform/Platform.h"
#include "version/FileDates.h"
#include "version/cmp_TVersion.h"

#include <charconv>
#include <memory>
#include <optional>

namespace tarn::version {
namespace {

constexpr std::string_view SCannotOpenForCompare =
    "Cannot open %s in TVersionResource.IsFileNewerByName";

std::unique_ptr<TVersionResource>& Shared() {
    static std::unique_ptr<TVersionResource> shared;
    return shared;
}

// The index-th "."-separated field, "" past the last.
std::string_view Field(std::string_view text, std::size_t index) {
    for (; index > 0; --index) {
        const std::size_t dot = text.find('.');
        if (dot == std::string_view::npos) return {};
        text.remove_prefix(dot + 1);
    }
    return text.substr(0, text.find('.'));
}

std::optional<long long> ToInteger(std::string_view field) {
    long long value = 0;
    const char* end = field.data() + field.size();
    auto [at, error] = std::from_chars(field.data(), end, value);
    if (error != std::errc{} || at != end) return std::nullopt;
    return value;
}

std::string Trim(const std::string& s) {
    std::size_t first = 0, last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ')
        --last;
    return s.substr(first, last - first);
}

std::string FileVersionOf(const std::string& fileName) {
    TVersionResource& reader = NeedSharedVersionResource();
    reader.SetFileName(fileName);
    return reader.VersionInfo().FileVersion();
}

// The file's last-write time as a day count; the file is opened for reading with sharing
// allowed, and EFOpenError names it when that fails.
double FileDateOf(const std::string& fileName) {
    std::optional<TFileStream> file;
    try {
        file.emplace(fileName, fmOpenRead | fmShareDenyNone);
    } catch (const EFOpenError&) {
        throw EFOpenError(SCannotOpenForCompare, fileName);
    }
    platform::FILETIME written = 0;
    if (platform::Files().GetFileTime(file->Handle(), written) != platform::ERROR_SUCCESS)
        throw EFOpenError(SCannotOpenForCompare, fileName);
    return LocalFileTimeToDayCount(platform::Files().ToLocalFileTime(written));
}

int ByVersion(const std::string& newVersion, const std::string& existingFile) {
    switch (CompareVersionStrings(newVersion, FileVersionOf(existingFile))) {
    case 0:
        return cmpSame;
    case 1:
        return cmpNewFileNewer;
    default:
        return cmpExistingNewer;
    }
}

template <class NewDate> int ByDate(NewDate newDate, const std::string& existingFile) {
    const double newer = newDate();
    const int order = CompareDayCounts(newer, FileDateOf(existingFile));
    return order > 0 ? cmpNewFileNewer : (order == 0 ? cmpSame : cmpExistingNewer);
}

// The decision table; the new file's version and date are fetched only when the rule needs
// them. Files that cannot be opened for their dates make the comparison fail.
template <class NewVersion, class NewDate>
int Decide(TOverwriteType rule, NewVersion newVersion, NewDate newDate,
           const std::string& existingFile) {
    try {
        switch (rule) {
        case owAlways:
            return cmpNewFileNewer;
        case owNever:
            return !Trim(existingFile).empty() && FileExists(existingFile) ? cmpExistingNewer
                                                                           : cmpNewFileNewer;
        case owVersion:
            return ByVersion(newVersion(), existingFile);
        case owDate:
            return ByDate(newDate, existingFile);
        case owVersionDate: {
            const int result = ByVersion(newVersion(), existingFile);
            return result == cmpSame ? ByDate(newDate, existingFile) : result;
        }
        case owAsk:
            return cmpAsk;
        }
    } catch (const EFOpenError&) {
        // Absorbed: the result says the comparison failed.
    }
    return cmpFailed;
}

} // namespace

int CompareVersionStrings(const std::string& a, const std::string& b) {
    for (std::size_t i = 0;; ++i) {
        const std::string_view x = Field(a, i);
        const std::string_view y = Field(b, i);
        if (x.empty() || y.empty()) {
            if (x.empty() && y.empty()) return 0;
            return x.empty() ? 2 : 1;
        }
        const auto nx = ToInteger(x);
        const auto ny = ToInteger(y);
        if (nx && ny) {
            if (*nx != *ny) return *nx > *ny ? 1 : 2;
            continue;
        }
        const int order = x.compare(y);
        if (order != 0) return order > 0 ? 1 : 2;
    }
}

int TVersionResource::IsFileNewerThan(const std::string& newVersion, double newDate,
                                      const std::string& existingFile, TOverwriteType rule) {
    return Decide(
        rule, [&] { return newVersion; }, [&] { return newDate; }, existingFile);
}

int TVersionResource::IsFileNewerByName(const std::string& newFile, const std::string& existingFile,
                                        TOverwriteType rule) {
    return Decide(
        rule, [&] { return FileVersionOf(newFile); }, [&] { return FileDateOf(newFile); },
        existingFile);
}

TVersionResource* SharedVersionResource() {
    return Shared().get();
}

TVersionResource& NeedSharedVersionResource() {
    if (!Shared()) CreateSharedVersionResource();
    return *Shared();
}

void CreateSharedVersionResource() {
    if (!Shared()) Shared() = std::make_unique<TVersionResource>(nullptr);
}

void FreeSharedVersionResource() {
    Shared().reset();
}

} // namespace tarn::version
