#include "platform/Console.h"

#include "platform/portable/CodePage.h"
#include "platform/Platform.h"

#include <algorithm>
#include <unistd.h>

namespace tarn::platform {
namespace {

// ASCII reads the same in every ANSI code page and in UTF-8; such text needs no machine, which
// also keeps a program that prints before it has opened one from creating the default machine.
bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool IsTerminal(StandardStream stream) {
    return isatty(stream == StandardStream::Input ? STDIN_FILENO : STDOUT_FILENO) != 0;
}

std::string ToHostText(std::string_view ansi) {
    if (IsAscii(ansi)) return std::string(ansi);
    return AnsiToUtf8(ansi, System().GetACP());
}

std::optional<std::string> FromHostText(std::string_view host) {
    if (IsAscii(host)) return std::string(host);
    return Utf8ToAnsi(host, System().GetACP());
}

} // namespace tarn::platform
