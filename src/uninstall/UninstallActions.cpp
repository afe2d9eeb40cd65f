#include "uninstall/UninstallActions.h"

#include "uninstall/DryRunActions.h"
#include "uninstall/RealRunActions.h"

namespace tarn::uninstall {

std::unique_ptr<UninstallActions>
MakeUninstallActions(bool dryRun, bool dryRunAnswer, ActionReporter report, IUninstallView& view) {
    if (dryRun) return std::make_unique<DryRunActions>(std::move(report), dryRunAnswer);
    return std::make_unique<RealRunActions>(std::move(report), view);
}

} // namespace tarn::uninstall
