// The roots of stored forms: a form (TForm) or a data module (TDataModule) owns the components
// read with it. Components that set themselves up differently on a form ask for TCustomForm.
#pragma once

#include "framework/Component.h"

#include <functional>

namespace tarn {

class TCustomForm : public TComponent {
public:
    using TComponent::TComponent;
    using TActivateEvent = std::function<void(TComponent& sender)>;

    // What a program window has that the components on it look at. A front end shows the form
    // and calls Activate when it comes to the front.
    TActivateEvent OnActivate;
    int Left = 0;
    int Top = 0;
    int Width = 640;
    int Height = 480;
    bool Maximized = false;
    // A plain form takes a component's activation handler; a form that is a program's own
    // frame window (a multiple-document parent) does not.
    virtual bool PlainForm() const { return true; }

    void Activate() {
        if (OnActivate) OnActivate(*this);
    }
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

class TDataModule : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// Registers TForm and TDataModule (no properties of their own).
class TClassRegistry;
void RegisterFormClasses(TClassRegistry& registry);

} // namespace tarn
