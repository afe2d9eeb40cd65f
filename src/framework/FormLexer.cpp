#include "framework/FormLexer.h"

#include <cctype>

namespace tarn {

namespace {

bool NameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}

bool NameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

bool Digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

} // namespace

std::string Describe(const TToken& token) {
    switch (token.kind) {
    case TTokenKind::End:
        return "end of file";
    case TTokenKind::String:
        return "a string";
    default:
        return "'" + token.text + "'";
    }
}

void TFormLexer::Fail(int line, const std::string& message) const {
    throw EFormError("%s(%d): %s", fileName_, line, message);
}

void TFormLexer::Expected(const std::string& what, const TToken& found) const {
    Fail(found.line, what + " expected but " + Describe(found) + " found");
}

void TFormLexer::SkipBlanks() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '\n') {
            ++line_;
            ++pos_;
        } else if (static_cast<unsigned char>(c) <= ' ') {
            ++pos_;
        } else {
            break;
        }
    }
}

bool TFormLexer::AtStringPiece() const {
    return pos_ < text_.size() && (text_[pos_] == '\'' || text_[pos_] == '#');
}

std::string TFormLexer::StringPieces(int line) {
    std::string result;
    for (;;) {
        while (AtStringPiece()) {
            if (text_[pos_] == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= text_.size() || text_[pos_] == '\n' || text_[pos_] == '\r')
                        Fail(line_, "Unterminated string");
                    if (text_[pos_] == '\'') {
                        if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                            result += '\'';
                            pos_ += 2;
                            continue;
                        }
                        ++pos_;
                        break;
                    }
                    result += text_[pos_++];
                }
            } else {
                ++pos_;
                std::size_t start = pos_;
                while (pos_ < text_.size() && Digit(text_[pos_]))
                    ++pos_;
                if (start == pos_ || pos_ - start > 3)
                    Fail(line_, "Character code expected after #");
                const int code = std::stoi(std::string(text_.substr(start, pos_ - start)));
                if (code > 255) Fail(line_, "Character code above 255");
                result += static_cast<char>(code);
            }
        }
        // A "+" joins the next piece, also on the next line.
        const std::size_t savedPos = pos_;
        const int savedLine = line_;
        SkipBlanks();
        if (pos_ < text_.size() && text_[pos_] == '+') {
            ++pos_;
            SkipBlanks();
            if (!AtStringPiece()) {
                TToken found = Scan();
                Expected("A string after +", found);
            }
            continue;
        }
        pos_ = savedPos;
        line_ = savedLine;
        (void)line;
        return result;
    }
}

TToken TFormLexer::Scan() {
    SkipBlanks();
    TToken token;
    token.line = line_;
    if (pos_ >= text_.size()) return token;
    const char c = text_[pos_];
    if (NameStart(c)) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && NameChar(text_[pos_]))
            ++pos_;
        token.kind = TTokenKind::Name;
        token.text = std::string(text_.substr(start, pos_ - start));
        return token;
    }
    if (c == '\'' || c == '#') {
        token.kind = TTokenKind::String;
        token.text = StringPieces(line_);
        return token;
    }
    if (Digit(c) || ((c == '-' || c == '+') && pos_ + 1 < text_.size() && Digit(text_[pos_ + 1]))) {
        const std::size_t start = pos_++;
        bool real = false;
        while (pos_ < text_.size()) {
            const char d = text_[pos_];
            if (Digit(d)) {
                ++pos_;
            } else if (d == '.' || d == 'e' || d == 'E') {
                real = true;
                ++pos_;
                if ((d == 'e' || d == 'E') && pos_ < text_.size() &&
                    (text_[pos_] == '-' || text_[pos_] == '+'))
                    ++pos_;
            } else {
                break;
            }
        }
        token.kind = real ? TTokenKind::Float : TTokenKind::Integer;
        token.text = std::string(text_.substr(start, pos_ - start));
        return token;
    }
    ++pos_;
    token.kind = TTokenKind::Symbol;
    token.text = std::string(1, c);
    return token;
}

TToken TFormLexer::Next() {
    if (peeked_) {
        peeked_ = false;
        return std::move(peek_);
    }
    return Scan();
}

const TToken& TFormLexer::Peek() {
    if (!peeked_) {
        peek_ = Scan();
        peeked_ = true;
    }
    return peek_;
}

} // namespace tarn
