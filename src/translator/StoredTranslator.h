// TTranslator as a stored form names it: TranslateIntoLanguage and, for each language,
// lgX.FontOverride, lgX.Font.Name, lgX.Font.Size and lgX.Strings.
#pragma once

#include "framework/ClassRegistry.h"

namespace tarn::translator {

void RegisterTranslatorClass(TClassRegistry& registry = TClassRegistry::Global());

} // namespace tarn::translator
