// The roots of stored forms: a form (TForm) or a data module (TDataModule) owns the components
// read with it. Components that set themselves up differently on a form ask for TCustomForm.
#pragma once

#include "framework/Component.h"

namespace tarn {

class TCustomForm : public TComponent {
public:
    using TComponent::TComponent;
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
