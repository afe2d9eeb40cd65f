// Writing a stored form: the form and the components it owns, each with the properties whose
// values differ from their defaults (and those its class always stores).
#pragma once

#include "framework/ClassRegistry.h"
#include "framework/Component.h"

#include <string>

namespace tarn {

// Throws EFormError when a component's class is not registered.
std::string WriteForm(TComponent& form, const TClassRegistry& registry = TClassRegistry::Global());

// Writes the form to a file (a Windows path on the platform's file system).
void WriteFormFile(TComponent& form, const std::string& fileName,
                   const TClassRegistry& registry = TClassRegistry::Global());

// A string in the form's notation: quoted pieces, '' for a quote, #nn for control characters,
// pieces joined with + across lines when long.
std::string QuoteFormString(const std::string& text, const std::string& indent);

} // namespace tarn
