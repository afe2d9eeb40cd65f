// The fixed tables of version resources: language identifiers and code pages of string tables,
// and the texts for the fixed information's operating system, file type and subtype.
#pragma once

#include "version/cmp_TVersion.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::version {

inline constexpr int kLanguageCount = 45;
inline constexpr int kCharacterSetCount = 12;

bool IsValidLanguage(TLanguage language);
bool IsValidCharacterSet(TCharacterSet characterSet);

// The Windows language identifier (0x0409 for lnUSEnglish); valid values only.
std::uint16_t LanguageId(TLanguage language);
// The code page (1252 for csMultilingual); valid values only.
std::uint16_t CharacterSetCodePage(TCharacterSet characterSet);

// The declared names ("lnUSEnglish", "csMultilingual", "owVersion"), and back, ignoring case.
std::string_view LanguageName(TLanguage language);
std::string_view CharacterSetName(TCharacterSet characterSet);
std::string_view OverwriteTypeName(TOverwriteType rule);
std::optional<TLanguage> LanguageFromName(std::string_view name);
std::optional<TCharacterSet> CharacterSetFromName(std::string_view name);
std::optional<TOverwriteType> OverwriteTypeFromName(std::string_view name);

// The texts of the fixed file information's dwFileOS, dwFileType and dwFileSubtype. The subtype
// has a text only for drivers and fonts, otherwise "".
std::string FileOSText(std::uint32_t fileOS);
std::string FileTypeText(std::uint32_t fileType);
std::string FileSubTypeText(std::uint32_t fileType, std::uint32_t fileSubType);

} // namespace tarn::version
