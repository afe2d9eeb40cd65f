#include "platform/portable/NameMatcher.h"

#include "platform/portable/ShortNames.h"

namespace tarn::platform::portable {

// The wildcards of the rewritten pattern: '<' DOS_STAR, '>' DOS_QM, '"' DOS_DOT. None of them
// can be in a mask the caller passes, since FindFirst refuses them as name characters.
NameMatcher::NameMatcher(const std::string& mask, unsigned codePage) : codePage_(codePage) {
    if (mask == "*" || mask == "*.*") {
        all_ = true;
        return;
    }
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char c = mask[i];
        char next = i + 1 < mask.size() ? mask[i + 1] : '\0';
        if (c == '?')
            c = '>';
        else if (c == '*' && next == '.')
            c = '<';
        else if (c == '.' && (next == '?' || next == '*' || next == '\0'))
            c = '"';
        pattern_ += c;
    }
    pattern_ = UpperName(pattern_, codePage_);
}

bool NameMatcher::Matches(const std::string& name) const {
    if (all_) return true;
    name_ = UpperName(name, codePage_);
    lastDot_ = name_.rfind('.');
    memo_.assign((pattern_.size() + 1) * (name_.size() + 1), 0);
    return Match(0, 0);
}

// Memoised over (pattern position, name position) so that masks with several stars stay
// quadratic.
bool NameMatcher::Match(std::size_t i, std::size_t j) const {
    char& memo = memo_[i * (name_.size() + 1) + j];
    if (memo) return memo == 1;
    bool result = Step(i, j);
    memo = result ? 1 : 2;
    return result;
}

bool NameMatcher::Step(std::size_t i, std::size_t j) const {
    const std::size_t n = name_.size();
    if (i == pattern_.size()) return j == n;
    switch (pattern_[i]) {
    case '*':
        for (std::size_t k = j; k <= n; ++k)
            if (Match(i + 1, k)) return true;
        return false;
    case '<': {
        std::size_t limit = (lastDot_ != std::string::npos && lastDot_ >= j) ? lastDot_ : n;
        for (std::size_t k = j; k <= limit; ++k)
            if (Match(i + 1, k)) return true;
        return false;
    }
    case '>':
        if (j < n && name_[j] != '.') return Match(i + 1, j + 1);
        return Match(i + 1, j);
    case '"':
        if (j < n && name_[j] == '.') return Match(i + 1, j + 1);
        return j == n && Match(i + 1, j);
    case '?':
        return j < n && Match(i + 1, j + 1);
    default:
        return j < n && name_[j] == pattern_[i] && Match(i + 1, j + 1);
    }
}

} // namespace tarn::platform::portable
