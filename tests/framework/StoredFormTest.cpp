// Stored forms: reading the classic text layout, writing it back, and refusing malformed forms
// with their file, line and what was expected.
#include "framework/FormReader.h"
#include "framework/FormWriter.h"

#include <gtest/gtest.h>

using namespace tarn;

namespace {

std::vector<std::string>& LoadedLog() {
    static std::vector<std::string> log;
    return log;
}

class TTestForm : public TComponent {
public:
    using TComponent::TComponent;
    std::string title;

protected:
    void Loaded() override { LoadedLog().push_back(Name()); }
};

class TTestItem : public TComponent {
public:
    using TComponent::TComponent;
    ~TTestItem() override { DestroyComponents(); }

    // At run time a count below zero is refused; while loading it is stored as it is.
    void SetCount(std::int64_t count) {
        if (!ComponentState().Contains(csLoading) && count < 0)
            throw EPropertyError("Count cannot be negative");
        count_ = count;
    }
    std::int64_t Count() const { return count_; }
    void SetNext(TTestItem* next) {
        if (next) FreeNotification(next);
        next_ = next;
    }
    TTestItem* Next() const { return next_; }

    double ratio = 0;
    std::string caption;
    bool enabled = true;
    std::string style = "stNormal";
    std::vector<std::string> options;
    std::vector<std::string> lines;
    std::string nextNameAtLoaded;
    bool loadingWhenSet = false;

protected:
    void Loaded() override {
        LoadedLog().push_back(Name());
        nextNameAtLoaded = next_ ? next_->Name() : "";
    }
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == opRemove && component == next_) next_ = nullptr;
        TComponent::Notification(component, operation);
    }

private:
    std::int64_t count_ = 0;
    TTestItem* next_ = nullptr;
};

class TPlain : public TComponent {
public:
    using TComponent::TComponent;
};

TClassRegistry& Registry() {
    static TClassRegistry registry;
    static bool done = false;
    if (done) return registry;
    done = true;
    registry.RegisterClass<TTestForm>("TTestForm")
        .Property<TTestForm>(
            "Caption", [](TTestForm& f) { return TValue::String(f.title); },
            [](TTestForm& f, const TValue& v) { f.title = AsString(v); }, TValue::String(""));
    registry.RegisterClass<TTestItem>("TTestItem")
        .Property<TTestItem>(
            "Count", [](TTestItem& c) { return TValue::Integer(c.Count()); },
            [](TTestItem& c, const TValue& v) {
                c.loadingWhenSet = c.ComponentState().Contains(csLoading);
                c.SetCount(AsInteger(v));
            },
            TValue::Integer(0))
        .Property<TTestItem>(
            "Ratio", [](TTestItem& c) { return TValue::Float(c.ratio); },
            [](TTestItem& c, const TValue& v) { c.ratio = AsFloat(v); }, TValue::Float(0))
        .Property<TTestItem>(
            "Caption", [](TTestItem& c) { return TValue::String(c.caption); },
            [](TTestItem& c, const TValue& v) { c.caption = AsString(v); }, TValue::String(""))
        .Property<TTestItem>(
            "Enabled", [](TTestItem& c) { return TValue::Boolean(c.enabled); },
            [](TTestItem& c, const TValue& v) { c.enabled = AsBoolean(v); }, TValue::Boolean(true))
        .Property<TTestItem>(
            "Style", [](TTestItem& c) { return TValue::Ident(c.style); },
            [](TTestItem& c, const TValue& v) {
                const std::string& s = AsIdent(v);
                if (s != "stNormal" && s != "stBold" && s != "stFramed")
                    throw EPropertyError("%s is not a style", s);
                c.style = s;
            },
            // Always stored, even when it has its default.
            TValue::Ident("stNormal"), true)
        .Property<TTestItem>(
            "Options", [](TTestItem& c) { return TValue::Set(c.options); },
            [](TTestItem& c, const TValue& v) { c.options = AsItems(v); }, TValue::Set({}))
        .Property<TTestItem>(
            "Lines", [](TTestItem& c) { return TValue::Strings(c.lines); },
            [](TTestItem& c, const TValue& v) { c.lines = AsItems(v); }, TValue::Strings({}))
        .Reference<TTestItem, TTestItem>(
            "Next", [](TTestItem& c) { return c.Next(); },
            [](TTestItem& c, TTestItem* next) { c.SetNext(next); });
    registry.RegisterClass<TPlain>("TPlain");
    return registry;
}

std::unique_ptr<TComponent> Read(const std::string& text) {
    return ReadForm(text, "Form1.txt", Registry());
}

std::string ReadError(const std::string& text) {
    try {
        Read(text);
    } catch (const EFormError& e) {
        return e.Message();
    }
    return "(read)";
}

const char* kForm = "object Form1: TTestForm\r\n"
                    "  Caption = 'Setup of ''Tarn'''#13#10'done'\r\n"
                    "  object First: TTestItem\r\n"
                    "    Count = -5\r\n"
                    "    Ratio = 1.5e2\r\n"
                    "    Caption = 'one ' +\r\n"
                    "      'two'\r\n"
                    "    Enabled = False\r\n"
                    "    Style = stBold\r\n"
                    "    Options = [opA, opB]\r\n"
                    "    Lines = (\r\n"
                    "      'first'\r\n"
                    "      'second')\r\n"
                    "    Next = Second\r\n"
                    "  end\r\n"
                    "  object Second: TTestItem\r\n"
                    "    Next = First\r\n"
                    "  end\r\n"
                    "end\r\n";

TEST(StoredForm, ReadsEveryKindOfValue) {
    LoadedLog().clear();
    auto form = Read(kForm);
    EXPECT_EQ(form->Name(), "Form1");
    EXPECT_EQ(dynamic_cast<TTestForm&>(*form).title, "Setup of 'Tarn'\r\ndone");
    ASSERT_EQ(form->ComponentCount(), 2);
    auto& first = dynamic_cast<TTestItem&>(*form->Components(0));
    auto& second = dynamic_cast<TTestItem&>(*form->Components(1));
    EXPECT_EQ(first.Owner(), form.get());
    EXPECT_EQ(first.Count(), -5); // stored as it is while loading
    EXPECT_TRUE(first.loadingWhenSet);
    EXPECT_DOUBLE_EQ(first.ratio, 150);
    EXPECT_EQ(first.caption, "one two");
    EXPECT_FALSE(first.enabled);
    EXPECT_EQ(first.style, "stBold");
    EXPECT_EQ(first.options, (std::vector<std::string>{"opA", "opB"}));
    EXPECT_EQ(first.lines, (std::vector<std::string>{"first", "second"}));
    // A reference forward to a component read later is resolved too, before Loaded.
    EXPECT_EQ(first.Next(), &second);
    EXPECT_EQ(second.Next(), &first);
    EXPECT_EQ(first.nextNameAtLoaded, "Second");
    EXPECT_EQ(LoadedLog(), (std::vector<std::string>{"Form1", "First", "Second"}));
    EXPECT_FALSE(first.ComponentState().Contains(csLoading));
    EXPECT_THROW(first.SetCount(-1), EPropertyError); // run time again
}

TEST(StoredForm, WriteThenReadGivesTheSameObjects) {
    auto form = Read(kForm);
    auto& first = dynamic_cast<TTestItem&>(*form->Components(0));
    first.caption = std::string(150, 'x') + "'\t\x7f" + "\xE9t\xE9";
    first.lines.push_back("");
    const std::string text = WriteForm(*form, Registry());
    auto again = ReadForm(text, "Written.txt", Registry());
    EXPECT_EQ(WriteForm(*again, Registry()), text);
    auto& copy = dynamic_cast<TTestItem&>(*again->Components(0));
    EXPECT_EQ(copy.caption, first.caption);
    EXPECT_EQ(copy.lines, first.lines);
    EXPECT_EQ(copy.Count(), -5);
    EXPECT_DOUBLE_EQ(copy.ratio, 150);
    EXPECT_EQ(copy.Next()->Name(), "Second");
    EXPECT_EQ(dynamic_cast<TTestForm&>(*again).title, "Setup of 'Tarn'\r\ndone");
}

TEST(StoredForm, WritesOnlyWhatDiffersFromTheDefaults) {
    auto form = std::make_unique<TTestForm>(nullptr);
    form->SetName("Form2");
    auto* item = Create<TTestItem>(form.get());
    item->SetName("Item1");
    EXPECT_EQ(WriteForm(*form, Registry()), "object Form2: TTestForm\r\n"
                                            "  object Item1: TTestItem\r\n"
                                            "    Style = stNormal\r\n"
                                            "  end\r\n"
                                            "end\r\n");
    item->ratio = 0.1;
    item->options = {"opA"};
    const std::string text = WriteForm(*form, Registry());
    EXPECT_NE(text.find("    Ratio = 0.10000000000000001\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    Options = [opA]\r\n"), std::string::npos);
    auto again = ReadForm(text, "x", Registry());
    EXPECT_EQ(dynamic_cast<TTestItem&>(*again->Components(0)).ratio, 0.1);
}

TEST(StoredForm, UnregisteredComponentsAndOutsideReferencesAreNotWritten) {
    auto form = std::make_unique<TTestForm>(nullptr);
    auto* item = Create<TTestItem>(form.get());
    item->SetName("Item1");
    auto other = std::make_unique<TTestForm>(nullptr);
    auto* outside = Create<TTestItem>(other.get());
    outside->SetName("Elsewhere");
    item->SetNext(outside);
    EXPECT_THROW(WriteForm(*form, Registry()), EFormError);
    item->SetNext(nullptr);
    Create<TComponent>(form.get());
    EXPECT_THROW(WriteForm(*form, Registry()), EFormError);
}

TEST(StoredForm, MissingComponentAndUnknownPropertyFailPrecisely) {
    EXPECT_EQ(ReadError("object Form1: TTestForm\n"
                        "  object A: TTestItem\n"
                        "    Next = Nowhere\n"
                        "  end\n"
                        "end\n"),
              "Form1.txt(3): A.Next names the component Nowhere, which the form does not hold");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n"
                        "  object A: TTestItem\n"
                        "    Colour = 3\n"
                        "  end\n"
                        "end\n"),
              "Form1.txt(3): TTestItem has no property Colour");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TWidget\n  end\nend\n"),
              "Form1.txt(2): Class TWidget is not registered");
}

TEST(StoredForm, MalformedFormsNameLineAndWhatWasExpected) {
    EXPECT_EQ(ReadError("object Form1 TTestForm\nend\n"),
              "Form1.txt(1): ':' expected but 'TTestForm' found");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n    Count 3\n"),
              "Form1.txt(3): '=' expected but '3' found");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n  end\n"),
              "Form1.txt(4): Property name or 'end' expected but end of file found");
    EXPECT_EQ(ReadError("object Form1: TTestForm\nend\nend\n"),
              "Form1.txt(3): End of file expected but 'end' found");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  Caption = 'open\nend\n"),
              "Form1.txt(2): Unterminated string");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  Caption = 'a' +\n\n  3\nend\n"),
              "Form1.txt(4): A string after + expected but '3' found");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  Caption = #300\nend\n"),
              "Form1.txt(2): Character code above 255");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n    Options = [a b]\n"),
              "Form1.txt(3): ',' or ']' expected but 'b' found");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n    Lines = ( 'a' 3 )\n"),
              "Form1.txt(3): String or ')' expected but '3' found");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  Caption = =\nend\n"),
              "Form1.txt(2): Property value expected but '=' found");
    EXPECT_EQ(ReadError("thing Form1: TTestForm\nend\n"),
              "Form1.txt(1): 'object' expected but 'thing' found");
}

TEST(StoredForm, ValuesTheSetterRefusesAreReportedWithTheirLine) {
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n    Style = stWild\n"
                        "  end\nend\n"),
              "Form1.txt(3): Invalid value for Style: stWild is not a style");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n    Count = 'x'\n"
                        "  end\nend\n"),
              "Form1.txt(3): Invalid value for Count: An integer value expected");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n    Enabled = Maybe\n"
                        "  end\nend\n"),
              "Form1.txt(3): Invalid value for Enabled: A True or False value expected");
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n  end\n"
                        "  object A: TTestItem\n  end\nend\n"),
              "Form1.txt(4): A component named A already exists");
    // A reference to a component of another class.
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object P: TPlain\n  end\n"
                        "  object A: TTestItem\n    Next = P\n  end\nend\n"),
              "Form1.txt(5): Invalid value for Next: P is not of the kind the property takes");
}

TEST(StoredForm, NilAndReferencesToTheFormItself) {
    auto form =
        Read("object Form1: TTestForm\n  object A: TTestItem\n    Next = nil\n  end\nend\n");
    EXPECT_EQ(dynamic_cast<TTestItem&>(*form->Components(0)).Next(), nullptr);
    EXPECT_EQ(ReadError("object Form1: TTestForm\n  object A: TTestItem\n    Next = Form1\n"
                        "  end\nend\n"),
              "Form1.txt(3): Invalid value for Next: Form1 is not of the kind the property takes");
}

TEST(FormStrings, QuotingKeepsEveryByte) {
    EXPECT_EQ(QuoteFormString("", ""), "''");
    EXPECT_EQ(QuoteFormString("it's", ""), "'it''s'");
    EXPECT_EQ(QuoteFormString("\r\nx\t", ""), "#13#10'x'#9");
    const std::string longText(130, 'a');
    const std::string quoted = QuoteFormString(longText, "  ");
    EXPECT_EQ(std::count(quoted.begin(), quoted.end(), '+'), 2);
}

} // namespace
