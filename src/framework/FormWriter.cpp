#include "framework/FormWriter.h"

#include "framework/FileStream.h"
#include "framework/FormLexer.h"

#include <cmath>
#include <cstdio>

namespace tarn {

namespace {

constexpr std::size_t kPieceLength = 64;

std::string Number(double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", value);
    std::string text = buffer;
    if (text.find_first_of(".eE") == std::string::npos) text += ".0";
    return text;
}

std::string Value(const TValue& value, const std::string& indent) {
    switch (value.kind) {
    case TValueKind::Integer:
        return std::to_string(value.integer);
    case TValueKind::Float:
        return Number(value.real);
    case TValueKind::String:
        return QuoteFormString(value.text, indent);
    case TValueKind::Identifier:
        return value.text;
    case TValueKind::Reference:
        return value.reference ? value.reference->Name() : "nil";
    case TValueKind::Set: {
        std::string text = "[";
        for (std::size_t i = 0; i < value.items.size(); ++i)
            text += (i ? ", " : "") + value.items[i];
        return text + "]";
    }
    case TValueKind::StringList: {
        std::string text = "(";
        for (const auto& line : value.items)
            text += "\r\n" + indent + "  " + QuoteFormString(line, indent + "  ");
        return text + ")";
    }
    }
    return "";
}

void WriteObject(TComponent& component, TComponent& form, const TClassRegistry& registry,
                 const std::string& indent, std::string& out) {
    const TClassInfo* info = registry.ClassOf(component);
    if (!info) throw EFormError("Cannot store %s: its class is not registered", component.Name());
    out += indent + "object " + component.Name() + ": " + info->Name() + "\r\n";
    for (const TPropertyInfo* property : info->AllProperties()) {
        const TValue value = property->get(component);
        const bool stored =
            property->alwaysStore || !property->defaultValue || !(value == *property->defaultValue);
        if (!stored) continue;
        if (value.kind == TValueKind::Reference && value.reference && value.reference != &form &&
            value.reference->Owner() != &form)
            throw EFormError("Cannot store %s.%s: %s is not on the form", component.Name(),
                             property->name, value.reference->Name());
        out += indent + "  " + property->name + " = " + Value(value, indent + "  ") + "\r\n";
    }
    if (&component == &form)
        for (int i = 0; i < form.ComponentCount(); ++i)
            WriteObject(*form.Components(i), form, registry, indent + "  ", out);
    out += indent + "end\r\n";
}

} // namespace

std::string QuoteFormString(const std::string& text, const std::string& indent) {
    if (text.empty()) return "''";
    std::string out;
    bool quoted = false;
    std::size_t pieceLength = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (pieceLength >= kPieceLength) {
            if (quoted) out += '\'';
            quoted = false;
            out += " +\r\n" + indent + "  ";
            pieceLength = 0;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < ' ' || c == 127) {
            if (quoted) out += '\'';
            quoted = false;
            out += '#' + std::to_string(c);
        } else {
            if (!quoted) out += '\'';
            quoted = true;
            out += c == '\'' ? std::string("''") : std::string(1, static_cast<char>(c));
        }
        ++pieceLength;
    }
    if (quoted) out += '\'';
    return out;
}

std::string WriteForm(TComponent& form, const TClassRegistry& registry) {
    std::string out;
    WriteObject(form, form, registry, "", out);
    return out;
}

void WriteFormFile(TComponent& form, const std::string& fileName, const TClassRegistry& registry) {
    const std::string text = WriteForm(form, registry);
    TFileStream stream(fileName, fmCreate);
    stream.WriteBuffer(text.data(), text.size());
}

} // namespace tarn
