// FindFirstFile's mask matching on the embedded machine. Windows rewrites a mask before the file
// system sees it: every '?' becomes DOS_QM (one character, or none at a dot or the end of the
// name), a '*' before a dot becomes DOS_STAR (anything up to the last dot), a dot before a
// wildcard or at the end becomes DOS_DOT (a dot, or nothing at the end). The rewritten pattern
// is then matched as FsRtlIsNameInExpression does, without case in the machine's code page.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tarn::platform::portable {

class NameMatcher {
public:
    // mask is the last component of a FindFirstFile pattern, in the machine's ANSI code page.
    NameMatcher(const std::string& mask, unsigned codePage);

    // Whether name (one component, no backslashes) matches the mask. Not thread-safe: the
    // matcher keeps its scratch state between calls.
    bool Matches(const std::string& name) const;

private:
    bool Match(std::size_t i, std::size_t j) const;
    bool Step(std::size_t i, std::size_t j) const;

    unsigned codePage_;
    bool all_ = false;
    std::string pattern_;
    mutable std::string name_;
    mutable std::size_t lastDot_ = std::string::npos;
    mutable std::vector<char> memo_;
};

} // namespace tarn::platform::portable
