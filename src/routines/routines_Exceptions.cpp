#include "routines/routines_Exceptions.h"

namespace tarn {

std::function<std::string(const std::string&)>& ExceptionTranslator() {
    static std::function<std::string(const std::string&)> translator;
    return translator;
}

std::string TranslateExceptionText(const std::string& text) {
    auto& translate = ExceptionTranslator();
    return translate ? translate(text) : text;
}

} // namespace tarn
