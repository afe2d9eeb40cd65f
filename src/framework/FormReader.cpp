#include "framework/FormReader.h"

#include "framework/FileStream.h"
#include "framework/TextCase.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace tarn {

namespace {

struct PendingReference {
    TComponent* component;
    const TPropertyInfo* property;
    std::string target;
    int line;
};

class FormReader {
public:
    FormReader(std::string_view text, const std::string& fileName, const TClassRegistry& registry)
        : lexer_(text, fileName), registry_(registry) {}

    std::unique_ptr<TComponent> Read() {
        std::unique_ptr<TComponent> form;
        ReadObject(nullptr, form);
        const TToken trailing = lexer_.Next();
        if (trailing.kind != TTokenKind::End) lexer_.Expected("End of file", trailing);
        ResolveReferences(*form);
        form->EndLoading();
        return form;
    }

private:
    TToken Expect(TTokenKind kind, const std::string& what) {
        TToken token = lexer_.Next();
        if (token.kind != kind) lexer_.Expected(what, token);
        return token;
    }
    void ExpectSymbol(const char* symbol) {
        TToken token = lexer_.Next();
        if (token.kind != TTokenKind::Symbol || token.text != symbol)
            lexer_.Expected(std::string("'") + symbol + "'", token);
    }

    // form is null while reading the outer block, which then creates it.
    void ReadObject(TComponent* form, std::unique_ptr<TComponent>& created) {
        const TToken keyword = lexer_.Next();
        if (keyword.kind != TTokenKind::Name ||
            !(SameTextAscii(keyword.text, "object") || SameTextAscii(keyword.text, "inherited")))
            lexer_.Expected("'object'", keyword);
        const TToken name = Expect(TTokenKind::Name, "Component name");
        ExpectSymbol(":");
        const TToken className = Expect(TTokenKind::Name, "Class name");
        const TClassInfo* info = registry_.FindClass(className.text);
        if (!info) lexer_.Fail(className.line, "Class " + className.text + " is not registered");

        TComponent* component = nullptr;
        try {
            if (!form) {
                created.reset(info->Create(nullptr));
                component = created.get();
            } else if (TComponent* existing = form->FindComponent(name.text);
                       existing && info->ReusesExisting() && registry_.ClassOf(*existing) == info) {
                component = existing;
            } else {
                component = info->Create(form);
            }
            component->BeginLoading();
            component->SetName(name.text);
        } catch (const EFormError&) {
            throw;
        } catch (const Exception& e) {
            lexer_.Fail(name.line, e.Message());
        }
        TComponent* owner = form ? form : component;

        for (;;) {
            const TToken& next = lexer_.Peek();
            if (next.kind == TTokenKind::Name && SameTextAscii(next.text, "end")) {
                lexer_.Next();
                return;
            }
            if (next.kind == TTokenKind::Name &&
                (SameTextAscii(next.text, "object") || SameTextAscii(next.text, "inherited"))) {
                std::unique_ptr<TComponent> unused;
                ReadObject(owner, unused);
                continue;
            }
            if (next.kind != TTokenKind::Name) lexer_.Expected("Property name or 'end'", next);
            ReadProperty(*component, *info);
        }
    }

    void ReadProperty(TComponent& component, const TClassInfo& info) {
        const TToken name = lexer_.Next();
        const TPropertyInfo* property = info.FindProperty(name.text);
        if (!property) lexer_.Fail(name.line, info.Name() + " has no property " + name.text);
        ExpectSymbol("=");
        const int line = lexer_.Peek().line;
        TValue value = ReadValue();
        if (property->isReference) {
            if (value.kind != TValueKind::Identifier)
                lexer_.Fail(line, "Component name expected for " + name.text);
            if (!SameTextAscii(value.text, "nil"))
                pending_.push_back({&component, property, value.text, line});
            else
                Assign(component, *property, TValue::Ref(nullptr), line);
            return;
        }
        Assign(component, *property, value, line);
    }

    void Assign(TComponent& component, const TPropertyInfo& property, const TValue& value,
                int line) {
        try {
            property.set(component, value);
        } catch (const Exception& e) {
            lexer_.Fail(line, "Invalid value for " + property.name + ": " + e.Message());
        }
    }

    TValue ReadValue() {
        TToken token = lexer_.Next();
        switch (token.kind) {
        case TTokenKind::Integer: {
            std::int64_t v = 0;
            const char* first = token.text.data() + (token.text[0] == '+' ? 1 : 0);
            const char* last = token.text.data() + token.text.size();
            auto [end, ec] = std::from_chars(first, last, v);
            if (ec != std::errc() || end != last) lexer_.Expected("Integer", token);
            return TValue::Integer(v);
        }
        case TTokenKind::Float: {
            char* end = nullptr;
            const double v = std::strtod(token.text.c_str(), &end);
            // Beyond a double's range: it could not be written back as a number.
            if (end != token.text.c_str() + token.text.size() || !std::isfinite(v))
                lexer_.Expected("Number", token);
            return TValue::Float(v);
        }
        case TTokenKind::String:
            return TValue::String(token.text);
        case TTokenKind::Name:
            return TValue::Ident(token.text);
        case TTokenKind::Symbol:
            if (token.text == "[") return ReadSet();
            if (token.text == "(") return ReadStrings();
            break;
        case TTokenKind::End:
            break;
        }
        lexer_.Expected("Property value", token);
    }

    TValue ReadSet() {
        std::vector<std::string> items;
        TToken token = lexer_.Next();
        if (token.kind == TTokenKind::Symbol && token.text == "]") return TValue::Set(items);
        for (;;) {
            if (token.kind != TTokenKind::Name) lexer_.Expected("Set element", token);
            items.push_back(token.text);
            token = lexer_.Next();
            if (token.kind == TTokenKind::Symbol && token.text == "]") return TValue::Set(items);
            if (token.kind != TTokenKind::Symbol || token.text != ",")
                lexer_.Expected("',' or ']'", token);
            token = lexer_.Next();
        }
    }

    TValue ReadStrings() {
        std::vector<std::string> items;
        for (;;) {
            TToken token = lexer_.Next();
            if (token.kind == TTokenKind::Symbol && token.text == ")")
                return TValue::Strings(items);
            if (token.kind != TTokenKind::String) lexer_.Expected("String or ')'", token);
            items.push_back(token.text);
        }
    }

    void ResolveReferences(TComponent& form) {
        for (const auto& p : pending_) {
            TComponent* target =
                SameTextAscii(p.target, form.Name()) ? &form : form.FindComponent(p.target);
            if (!target)
                lexer_.Fail(p.line, p.component->Name() + "." + p.property->name +
                                        " names the component " + p.target +
                                        ", which the form does not hold");
            Assign(*p.component, *p.property, TValue::Ref(target), p.line);
        }
    }

    TFormLexer lexer_;
    const TClassRegistry& registry_;
    std::vector<PendingReference> pending_;
};

} // namespace

std::unique_ptr<TComponent> ReadForm(std::string_view text, const std::string& fileName,
                                     const TClassRegistry& registry) {
    return FormReader(text, fileName, registry).Read();
}

std::unique_ptr<TComponent> ReadFormFile(const std::string& fileName,
                                         const TClassRegistry& registry) {
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    std::string text(static_cast<std::size_t>(stream.Size()), '\0');
    if (!text.empty()) stream.ReadBuffer(text.data(), text.size());
    return ReadForm(text, fileName, registry);
}

} // namespace tarn
