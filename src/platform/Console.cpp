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

std::optional<std::vector<std::string>>
ProgramArguments(int argc, char** argv, std::string_view program, std::ostream& err) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        auto text = FromHostText(argv[i]);
        if (!text) {
            err << program << ": the argument \"" << argv[i]
                << "\" has characters that the machine's code page " << System().GetACP()
                << " cannot hold\n";
            return std::nullopt;
        }
        arguments.push_back(std::move(*text));
    }
    return arguments;
}

} // namespace tarn::platform
