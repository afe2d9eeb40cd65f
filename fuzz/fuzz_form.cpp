// Arbitrary bytes as a stored form (the project files users write and edit by hand): either
// refused with EFormError or read into components that write out as a form which reads back and
// writes out again unchanged.
#include "FuzzMachine.h"
#include "framework/FormReader.h"
#include "framework/FormWriter.h"
#include "paths/StoredSpecifiers.h"
#include "translator/StoredTranslator.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tarn;

namespace {

class TFuzzForm : public TComponent {
public:
    using TComponent::TComponent;
    std::string caption;
};

// One property of every kind a stored form can hold, and a reference to another item.
class TFuzzItem : public TComponent {
public:
    using TComponent::TComponent;

    void SetNext(TFuzzItem* next) {
        if (next) FreeNotification(next);
        next_ = next;
    }
    TFuzzItem* Next() const { return next_; }

    std::int64_t count = 0;
    double ratio = 0;
    std::string caption;
    bool enabled = true;
    std::string style = "stNormal";
    std::vector<std::string> options;
    std::vector<std::string> lines;

protected:
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == opRemove && component == next_) next_ = nullptr;
        TComponent::Notification(component, operation);
    }

private:
    TFuzzItem* next_ = nullptr;
};

// The product's stored classes (translator, path specifiers) beside the two above.
TClassRegistry& Registry() {
    static TClassRegistry registry;
    static bool done = false;
    if (done) return registry;
    done = true;
    registry.RegisterClass<TFuzzForm>("TFuzzForm")
        .Property<TFuzzForm>(
            "Caption", [](TFuzzForm& f) { return TValue::String(f.caption); },
            [](TFuzzForm& f, const TValue& v) { f.caption = AsString(v); }, TValue::String(""));
    registry.RegisterClass<TFuzzItem>("TFuzzItem")
        .Property<TFuzzItem>(
            "Count", [](TFuzzItem& c) { return TValue::Integer(c.count); },
            [](TFuzzItem& c, const TValue& v) { c.count = AsInteger(v); }, TValue::Integer(0))
        .Property<TFuzzItem>(
            "Ratio", [](TFuzzItem& c) { return TValue::Float(c.ratio); },
            [](TFuzzItem& c, const TValue& v) { c.ratio = AsFloat(v); }, TValue::Float(0))
        .Property<TFuzzItem>(
            "Caption", [](TFuzzItem& c) { return TValue::String(c.caption); },
            [](TFuzzItem& c, const TValue& v) { c.caption = AsString(v); }, TValue::String(""))
        .Property<TFuzzItem>(
            "Enabled", [](TFuzzItem& c) { return TValue::Boolean(c.enabled); },
            [](TFuzzItem& c, const TValue& v) { c.enabled = AsBoolean(v); }, TValue::Boolean(true))
        .Property<TFuzzItem>(
            "Style", [](TFuzzItem& c) { return TValue::Ident(c.style); },
            [](TFuzzItem& c, const TValue& v) {
                const std::string& s = AsIdent(v);
                if (s != "stNormal" && s != "stBold") throw EPropertyError("%s is not a style", s);
                c.style = s;
            },
            TValue::Ident("stNormal"), true)
        .Property<TFuzzItem>(
            "Options", [](TFuzzItem& c) { return TValue::Set(c.options); },
            [](TFuzzItem& c, const TValue& v) { c.options = AsItems(v); }, TValue::Set({}))
        .Property<TFuzzItem>(
            "Lines", [](TFuzzItem& c) { return TValue::Strings(c.lines); },
            [](TFuzzItem& c, const TValue& v) { c.lines = AsItems(v); }, TValue::Strings({}))
        .Reference<TFuzzItem, TFuzzItem>(
            "Next", [](TFuzzItem& c) { return c.Next(); },
            [](TFuzzItem& c, TFuzzItem* next) { c.SetNext(next); });
    translator::RegisterTranslatorClass(registry);
    paths::RegisterPathSpecifierClasses(registry);
    return registry;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::FuzzMachine machine("form");
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<TComponent> form;
    try {
        form = ReadForm(text, "Fuzz.dfm", Registry());
    } catch (const EFormError&) {
        return 0;
    }
    const std::string written = WriteForm(*form, Registry());
    form.reset();
    std::unique_ptr<TComponent> back = ReadForm(written, "Written.dfm", Registry()); // must read
    if (WriteForm(*back, Registry()) != written) std::abort();
    return 0;
}
