#include "framework/Format.h"

namespace tarn {

std::string FormatV(std::string_view format, std::initializer_list<FormatArg> args) {
    std::string result;
    result.reserve(format.size());
    auto next = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 == format.size()) {
            result += c;
            continue;
        }
        const char type = format[i + 1];
        if (type == '%') {
            result += '%';
            ++i;
        } else if ((type == 's' || type == 'd') && next != args.end()) {
            result += (next++)->Text();
            ++i;
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace tarn
