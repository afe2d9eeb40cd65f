#include "framework/Form.h"

#include "framework/ClassRegistry.h"

namespace tarn {

void RegisterFormClasses(TClassRegistry& registry) {
    registry.RegisterClass<TForm>("TForm");
    registry.RegisterClass<TDataModule>("TDataModule");
}

} // namespace tarn
