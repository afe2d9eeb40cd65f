#include "platform/portable/WindowsText.h"

#include <array>
#include <cctype>
#include <vector>

namespace tarn::platform::portable {
namespace {

struct Weight {
    int primary;   // 0 = ignored at the first level
    int accent;    // 0 = unaccented
    int caseLevel; // 0 lower or caseless, 1 upper
};

// Base letter and accent rank of the Windows-1252 letters above 127; 0 where none.
struct Fold {
    char base;
    int accent;
};

Fold FoldHigh(unsigned char c) {
    static const std::array<const char*, 2> rows = {
        // 0xC0..0xDF, 0xE0..0xFF (lower case mirrors the upper row, ß and ÿ aside)
        "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYTS", "aaaaaaaceeeeiiiidnooooo/ouuuuyty"};
    static const int accents[32] = {1, 2, 3, 4, 5, 6, 7, 1, 1, 2, 3, 5, 1, 2, 3, 5,
                                    1, 4, 1, 2, 3, 4, 5, 0, 8, 1, 2, 3, 5, 2, 1, 9};
    if (c >= 0xC0) {
        char base = rows[c >= 0xE0 ? 1 : 0][(c - 0xC0) & 31];
        if (base == '*' || base == '/') return {0, 0};
        return {base, accents[(c - 0xC0) & 31]};
    }
    switch (c) {
    case 0x8A:
        return {'S', 10};
    case 0x9A:
        return {'s', 10};
    case 0x8E:
        return {'Z', 10};
    case 0x9E:
        return {'z', 10};
    case 0x8C:
        return {'O', 11};
    case 0x9C:
        return {'o', 11};
    case 0x9F:
        return {'Y', 5};
    case 0x83:
        return {'f', 12};
    default:
        return {0, 0};
    }
}

Weight WeightOf(unsigned char c) {
    if (c == '-' || c == '\'') return {0, 0, 0};
    if (std::isalpha(c)) {
        int upper = std::toupper(c);
        return {1000 + (upper - 'A') * 4, 0, std::isupper(c) ? 1 : 0};
    }
    if (c >= 0x80) {
        Fold f = FoldHigh(c);
        if (f.base) {
            int upper = std::toupper(static_cast<unsigned char>(f.base));
            return {1000 + (upper - 'A') * 4, f.accent, std::isupper(f.base) ? 1 : 0};
        }
        return {600 + c, 0, 0}; // symbols above 127 after the ASCII ones
    }
    if (std::isdigit(c)) return {900 + (c - '0'), 0, 0};
    return {100 + c, 0, 0}; // control characters, blanks, punctuation
}

std::vector<Weight> Weights(const std::string& s) {
    std::vector<Weight> w;
    w.reserve(s.size());
    for (unsigned char c : s)
        w.push_back(WeightOf(c));
    return w;
}

int Sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

// Compares one level over the characters that count at the first level.
template <class Get>
int CompareLevel(const std::vector<Weight>& a, const std::vector<Weight>& b, Get get) {
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && a[i].primary == 0)
            ++i;
        while (j < b.size() && b[j].primary == 0)
            ++j;
        if (i == a.size() || j == b.size())
            return Sign(int(i == a.size() ? 0 : 1) - int(j == b.size() ? 0 : 1));
        int d = get(a[i]) - get(b[j]);
        if (d != 0) return Sign(d);
        ++i;
        ++j;
    }
}

} // namespace

int CompareAnsi(const std::string& a, const std::string& b, bool ignoreCase) {
    std::vector<Weight> wa = Weights(a), wb = Weights(b);
    if (int r = CompareLevel(wa, wb, [](const Weight& w) { return w.primary; })) return r;
    if (int r = CompareLevel(wa, wb, [](const Weight& w) { return w.accent; })) return r;
    if (!ignoreCase)
        if (int r = CompareLevel(wa, wb, [](const Weight& w) { return w.caseLevel; })) return r;
    // Otherwise equal: the ignored hyphens and apostrophes decide.
    std::string ra, rb;
    for (unsigned char c : a)
        if (c == '-' || c == '\'') ra += static_cast<char>(c);
    for (unsigned char c : b)
        if (c == '-' || c == '\'') rb += static_cast<char>(c);
    return Sign(ra.compare(rb));
}

std::string AnsiToOem(const std::string& text) {
    // Windows-1252 0x80..0xFF → code page 437.
    static const unsigned char table[128] = {
        'E',  '?',  ',',  0x9F, '"',  '.',  '+',  '+',  '^',  '%',  'S',  '<',  'O',  '?',  'Z',
        '?',  '?',  '\'', '\'', '"',  '"',  0x07, '-',  '-',  '~',  'T',  's',  '>',  'o',  '?',
        'z',  'Y',  0xFF, 0xAD, 0x9B, 0x9C, '?',  0x9D, '|',  '?',  '"',  'c',  0xA6, 0xAE, 0xAA,
        '-',  'r',  '-',  0xF8, 0xF1, 0xFD, '3',  '\'', 0xE6, '?',  0xFA, ',',  '1',  0xA7, 0xAF,
        0xAC, 0xAB, '_',  0xA8, 'A',  'A',  'A',  'A',  0x8E, 0x8F, 0x92, 0x80, 'E',  0x90, 'E',
        'E',  'I',  'I',  'I',  'I',  'D',  0xA5, 'O',  'O',  'O',  'O',  0x99, 'x',  'O',  'U',
        'U',  'U',  0x9A, 'Y',  '_',  0xE1, 0x85, 0xA0, 0x83, 'a',  0x84, 0x86, 0x91, 0x87, 0x8A,
        0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B, 'd',  0xA4, 0x95, 0xA2, 0x93, 'o',  0x94, 0xF6,
        'o',  0x97, 0xA3, 0x96, 0x81, 'y',  '_',  0x98};
    std::string out = text;
    for (char& ch : out) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c >= 0x80) ch = static_cast<char>(table[c - 0x80]);
    }
    return out;
}

std::string SystemErrorText(DWORD code) {
    switch (code) {
    case 0:
        return "The operation completed successfully.";
    case 1:
        return "Incorrect function.";
    case 2:
        return "The system cannot find the file specified.";
    case 3:
        return "The system cannot find the path specified.";
    case 4:
        return "The system cannot open the file.";
    case 5:
        return "Access is denied.";
    case 6:
        return "The handle is invalid.";
    case 8:
        return "Not enough storage is available to process this command.";
    case 11:
        return "An attempt was made to load a program with an incorrect format.";
    case 13:
        return "The data is invalid.";
    case 14:
        return "Not enough storage is available to complete this operation.";
    case 15:
        return "The system cannot find the drive specified.";
    case 18:
        return "There are no more files.";
    case 19:
        return "The media is write protected.";
    case 21:
        return "The device is not ready.";
    case 29:
        return "The system cannot write to the specified device.";
    case 30:
        return "The system cannot read from the specified device.";
    case 32:
        return "The process cannot access the file because it is being used by another process.";
    case 33:
        return "The process cannot access the file because another process has locked a portion "
               "of the file.";
    case 38:
        return "Reached the end of the file.";
    case 39:
        return "The disk is full.";
    case 50:
        return "The request is not supported.";
    case 80:
        return "The file exists.";
    case 87:
        return "The parameter is incorrect.";
    case 112:
        return "There is not enough space on the disk.";
    case 120:
        return "This function is not supported on this system.";
    case 122:
        return "The data area passed to a system call is too small.";
    case 123:
        return "The filename, directory name, or volume label syntax is incorrect.";
    case 126:
        return "The specified module could not be found.";
    case 127:
        return "The specified procedure could not be found.";
    case 145:
        return "The directory is not empty.";
    case 183:
        return "Cannot create a file when that file already exists.";
    case 193:
        return "%1 is not a valid Win32 application.";
    case 206:
        return "The filename or extension is too long.";
    case 234:
        return "More data is available.";
    case 259:
        return "No more data is available.";
    case 1009:
        return "The configuration registry database is corrupt.";
    case 1010:
        return "The configuration registry key is invalid.";
    case 1011:
        return "The configuration registry key could not be opened.";
    case 1012:
        return "The configuration registry key could not be read.";
    case 1013:
        return "The configuration registry key could not be written.";
    case 1015:
        return "The registry is corrupted.";
    case 1018:
        return "Illegal operation attempted on a registry key that has been marked for deletion.";
    case 1314:
        return "A required privilege is not held by the client.";
    default:
        return "";
    }
}

std::string ExpandEnvironment(const std::string& text,
                              const std::map<std::string, std::string>& vars) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t open = text.find('%', i);
        if (open == std::string::npos) break;
        std::size_t close = text.find('%', open + 1);
        if (close == std::string::npos) break;
        std::string name = text.substr(open + 1, close - open - 1);
        for (char& c : name)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        auto it = vars.find(name);
        out += text.substr(i, open - i);
        if (it != vars.end()) {
            out += it->second;
            i = close + 1;
        } else {
            out += '%';
            i = open + 1;
        }
    }
    return out + text.substr(i);
}

} // namespace tarn::platform::portable
