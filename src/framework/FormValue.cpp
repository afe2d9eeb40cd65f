#include "framework/FormValue.h"

namespace tarn {

namespace {

[[noreturn]] void WrongKind(const char* expected) {
    throw EPropertyError("%s value expected", expected);
}

} // namespace

std::int64_t AsInteger(const TValue& value) {
    if (value.kind != TValueKind::Integer) WrongKind("An integer");
    return value.integer;
}

double AsFloat(const TValue& value) {
    if (value.kind == TValueKind::Integer) return static_cast<double>(value.integer);
    if (value.kind != TValueKind::Float) WrongKind("A number");
    return value.real;
}

const std::string& AsString(const TValue& value) {
    if (value.kind != TValueKind::String) WrongKind("A string");
    return value.text;
}

const std::string& AsIdent(const TValue& value) {
    if (value.kind != TValueKind::Identifier) WrongKind("An identifier");
    return value.text;
}

bool AsBoolean(const TValue& value) {
    if (value.kind == TValueKind::Identifier) {
        if (value.text == "True" || value.text == "true" || value.text == "TRUE") return true;
        if (value.text == "False" || value.text == "false" || value.text == "FALSE") return false;
    }
    WrongKind("A True or False");
}

const std::vector<std::string>& AsItems(const TValue& value) {
    if (value.kind != TValueKind::Set && value.kind != TValueKind::StringList)
        WrongKind("A set or string list");
    return value.items;
}

} // namespace tarn
