// The tokens of a stored form's text, with the line each starts on.
#pragma once

#include "framework/Exception.h"

#include <string>
#include <string_view>

namespace tarn {

// A stored form that cannot be read: the message names the file, the line and what was expected.
class EFormError : public Exception {
public:
    using Exception::Exception;
};

enum class TTokenKind { End, Name, Integer, Float, String, Symbol };

struct TToken {
    TTokenKind kind = TTokenKind::End;
    std::string text; // names as written, strings decoded, numbers as written, the symbol
    int line = 1;
};

class TFormLexer {
public:
    TFormLexer(std::string_view text, std::string fileName)
        : text_(text), fileName_(std::move(fileName)) {}

    // The next token; a string joins its quoted and #nn pieces, and pieces joined with "+"
    // across lines.
    TToken Next();
    const TToken& Peek();

    // Throws EFormError "<file>(<line>): <what> expected but <found> found".
    [[noreturn]] void Expected(const std::string& what, const TToken& found) const;
    [[noreturn]] void Fail(int line, const std::string& message) const;
    const std::string& FileName() const { return fileName_; }

private:
    TToken Scan();
    void SkipBlanks();
    std::string StringPieces(int line);
    bool AtStringPiece() const;

    std::string_view text_;
    std::string fileName_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool peeked_ = false;
    TToken peek_;
};

// How a token is shown in an error message.
std::string Describe(const TToken& token);

} // namespace tarn
