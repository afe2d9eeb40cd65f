// Reading a stored form: the outer "object Name: TClass" block is the form, nested blocks are
// components it owns. Components are made through the class registry while loading, their
// properties set through the registered setters, references resolved once the whole form has
// been read, and then Loaded is called on each in creation order.
#pragma once

#include "framework/ClassRegistry.h"
#include "framework/Component.h"
#include "framework/FormLexer.h"

#include <memory>
#include <string>
#include <string_view>

namespace tarn {

// fileName is only used in error messages. Throws EFormError; nothing is kept then.
std::unique_ptr<TComponent> ReadForm(std::string_view text, const std::string& fileName,
                                     const TClassRegistry& registry = TClassRegistry::Global());

// Reads a form file (a Windows path on the platform's file system).
std::unique_ptr<TComponent> ReadFormFile(const std::string& fileName,
                                         const TClassRegistry& registry = TClassRegistry::Global());

} // namespace tarn
