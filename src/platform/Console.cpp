#include "platform/Console.h"

#include "platform/Platform.h"

#include <algorithm>

namespace tarn::platform {
namespace {

bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

bool IsTerminal(StandardStream stream) {
    return Console().IsTerminal(stream);
}

std::string ToHostText(std::string_view ansi) {
    if (IsAscii(ansi)) return std::string(ansi);
    return Console().ToHost(ansi);
}

std::optional<std::string> FromHostText(std::string_view host) {
    if (IsAscii(host)) return std::string(host);
    return Console().FromHost(host);
}

} // namespace tarn::platform
