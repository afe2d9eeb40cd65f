// Path and separated-list helpers over ANSI text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarn {

class TStringList;

// Appends "\" unless the text is empty or already ends in one.
std::string IncludeBackslash(const std::string& text);
// A decimal integer (leading blanks and a sign allowed) that fits 32 bits; nullopt otherwise.
std::optional<std::int32_t> StrToIntStrict(const std::string& text);
// Drops one trailing "\".
std::string ExcludeBackslash(const std::string& text);
// Separators in the text, plus one when it is not empty and does not end with a separator.
int CountFields(const std::string& text, char separator);
// The n-th field (from 1; n <= 1 gives the first); empty when there are fewer than n - 1
// separators.
std::string GetField(const std::string& text, int n, char separator);
// Clears the list and adds the fields 1 to CountFields in order.
void SplitFields(const std::string& text, char separator, TStringList& list);
// Everything after the first ":"; empty when there is none.
std::string TextAfterColon(const std::string& text);
// "/" becomes "-"; the characters " * : ; < > ? \ | are dropped.
std::string CleanFileName(const std::string& text);

} // namespace tarn
