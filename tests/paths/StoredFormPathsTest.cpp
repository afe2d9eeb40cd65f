// A stored form holding the standard specifiers and an object with a path pair and install
// information: write then read gives the same objects, and bad references are refused.
#include "framework/FormReader.h"
#include "framework/FormWriter.h"
#include "paths/PathPair.h"
#include "paths/StandardSpecifiers.h"
#include "paths/StoredSpecifiers.h"
#include "paths/cmp_TInstallInformation.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::paths;
using tarn::test::TempMachine;

namespace {

class TPathForm : public TComponent {
public:
    using TComponent::TComponent;
};

// Holds a destination pair and install information, as the install component will.
class TPathHolder : public TComponent {
public:
    using TComponent::TComponent;

    TPathPair destination;
    TInstallInformation information;
    std::string expandedAtLoaded;

    void SetSpecifier(TCustomPathSpecifier* specifier) {
        destination.SetSpecifier(*this, specifier);
        if (specifier) FreeNotification(specifier);
    }

protected:
    void Loaded() override {
        try {
            expandedAtLoaded = destination.Expand(*this);
        } catch (const IEPathSpecifier& e) {
            expandedAtLoaded = "refused: " + e.Message();
        }
    }
    void Notification(TComponent* component, TOperation operation) override {
        if (operation == opRemove) destination.Forget(component);
        TComponent::Notification(component, operation);
    }
};

TClassRegistry& Registry() {
    static TClassRegistry registry;
    static bool done = false;
    if (done) return registry;
    done = true;
    RegisterPathSpecifierClasses(registry);
    registry.RegisterClass<TPathForm>("TPathForm");
    auto text = [](std::string TInstallInformation::*field, const char* def) {
        return std::make_pair(
            [field](TPathHolder& h) { return TValue::String(h.information.*field); },
            std::make_pair(
                [field](TPathHolder& h, const TValue& v) { h.information.*field = AsString(v); },
                TValue::String(def)));
    };
    auto company = text(&TInstallInformation::CompanyName, "My Company");
    auto product = text(&TInstallInformation::ProductName, "My product");
    auto version = text(&TInstallInformation::Version, "1.0");
    registry.RegisterClass<TPathHolder>("TPathHolder")
        .Reference<TPathHolder, TCustomPathSpecifier>(
            "DestinationSpecifier", [](TPathHolder& h) { return h.destination.Specifier(); },
            [](TPathHolder& h, TCustomPathSpecifier* s) { h.SetSpecifier(s); })
        .Property<TPathHolder>(
            "SubPath", [](TPathHolder& h) { return TValue::String(h.destination.SubPath()); },
            [](TPathHolder& h, const TValue& v) { h.destination.SetSubPath(h, AsString(v)); },
            TValue::String(""))
        .Property<TPathHolder>("InstallInformation.CompanyName", company.first,
                               company.second.first, company.second.second)
        .Property<TPathHolder>("InstallInformation.ProductName", product.first,
                               product.second.first, product.second.second)
        .Property<TPathHolder>("InstallInformation.Version", version.first, version.second.first,
                               version.second.second);
    return registry;
}

struct StoredPaths : ::testing::Test {
    TempMachine machine;
    PathSpecifierUnit unit;
};

TEST_F(StoredPaths, FormWithSpecifiersAndReferencesRoundTrips) {
    auto form = std::make_unique<TPathForm>(nullptr);
    form->SetName("SetupForm");
    CreateStandardSpecifiers(form.get(), true);
    auto* holder = Create<TPathHolder>(form.get());
    holder->SetName("Install1");
    holder->SetSpecifier(
        dynamic_cast<TCustomPathSpecifier*>(form->FindComponent("psProgramFiles")));
    holder->destination.SetSubPath(*holder, "\\Tarn's App\\");
    holder->information.ProductName = "Tarn Viewer";
    auto* second = Create<TPathHolder>(form.get());
    second->SetName("Archive1");
    second->SetSpecifier(dynamic_cast<TCustomPathSpecifier*>(form->FindComponent("psWindow")));

    const std::string text = WriteForm(*form, Registry());
    EXPECT_NE(text.find("    DestinationSpecifier = psProgramFiles\r\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("    InstallInformation.ProductName = 'Tarn Viewer'\r\n"),
              std::string::npos);
    EXPECT_EQ(text.find("InstallInformation.CompanyName"), std::string::npos); // the default
    EXPECT_NE(text.find("  object psBDEDLL: TpsBDEDLL\r\n  end\r\n"), std::string::npos);

    form.reset(); // the first set goes, so reading makes a new one
    EXPECT_EQ(StandardPathSpecList()->Count(), 0);
    tarn::test::WriteHostFile(machine.Host("C:\\Setup\\Form.txt"), text);
    auto again = ReadFormFile("C:\\Setup\\Form.txt", Registry());
    EXPECT_EQ(WriteForm(*again, Registry()), text);
    ASSERT_EQ(again->ComponentCount(), 17);
    EXPECT_EQ(StandardPathSpecList()->Count(), 15);
    auto& copy = dynamic_cast<TPathHolder&>(*again->FindComponent("Install1"));
    EXPECT_EQ(copy.destination.Specifier(), again->FindComponent("psProgramFiles"));
    EXPECT_EQ(copy.destination.SubPath(), "\\Tarn's App\\");
    EXPECT_EQ(copy.information.ProductName, "Tarn Viewer");
    EXPECT_EQ(copy.information.CompanyName, "My Company");
    EXPECT_EQ(copy.expandedAtLoaded, "C:\\Program Files\\Tarn's App");
    EXPECT_EQ(dynamic_cast<TPathHolder&>(*again->FindComponent("Archive1")).expandedAtLoaded,
              "C:\\WINDOWS");
    // The set read with the form counts as present.
    auto other = std::make_unique<TPathForm>(nullptr);
    CreateStandardSpecifiers(other.get(), true);
    EXPECT_EQ(other->ComponentCount(), 0);
    // A specifier freed later leaves no dangling reference behind.
    delete again->FindComponent("psProgramFiles");
    EXPECT_EQ(copy.destination.Specifier(), nullptr);
}

TEST_F(StoredPaths, SpecifiersAreStoredAsTheyAreWhileLoadingAndCheckedAfterwards) {
    // psContainerDestDir refuses an object that is not an install object, but only at run time.
    auto form = ReadForm("object F: TPathForm\n"
                         "  object H: TPathHolder\n"
                         "    DestinationSpecifier = D\n"
                         "  end\n"
                         "  object D: TpsContainerDestDir\n"
                         "  end\n"
                         "end\n",
                         "F.txt", Registry());
    auto& holder = dynamic_cast<TPathHolder&>(*form->FindComponent("H"));
    EXPECT_EQ(holder.destination.Specifier(), form->FindComponent("D"));
    EXPECT_EQ(holder.expandedAtLoaded,
              "refused: H must be a TInstallObject to use the psContainerDestDir path specifier");
    // At run time the same assignment is refused.
    holder.SetSpecifier(nullptr);
    EXPECT_THROW(holder.SetSpecifier(dynamic_cast<TCustomPathSpecifier*>(form->FindComponent("D"))),
                 IEPathSpecifier);
    EXPECT_EQ(holder.destination.Specifier(), nullptr);
}

TEST_F(StoredPaths, MissingSpecifierAndUnknownPropertyAreRefused) {
    auto error = [](const std::string& text) {
        try {
            ReadForm(text, "Setup.txt", Registry());
        } catch (const EFormError& e) {
            return e.Message();
        }
        return std::string("(read)");
    };
    EXPECT_EQ(error("object F: TPathForm\n"
                    "  object H: TPathHolder\n"
                    "    SubPath = '\\App'\n"
                    "    DestinationSpecifier = psNowhere\n"
                    "  end\n"
                    "end\n"),
              "Setup.txt(4): H.DestinationSpecifier names the component psNowhere, which the "
              "form does not hold");
    EXPECT_EQ(error("object F: TPathForm\n"
                    "  object H: TPathHolder\n"
                    "    InstallInformation.Vendor = 'X'\n"
                    "  end\n"
                    "end\n"),
              "Setup.txt(3): TPathHolder has no property InstallInformation.Vendor");
    EXPECT_EQ(PathSpecifierList()->Count(), 0); // nothing left of the refused forms
}

} // namespace
