// Bevel1: a lowered horizontal line along the bottom edge of its rectangle, a shadow row above a
// highlight row. Only those two rows belong to the window, so whatever lies under the rest of its
// rectangle stays visible.
#pragma once

namespace tarn::uninstall::win32 {

// Registers the window class kBevelClass for the given module.
void RegisterBevelClass(void* instance);

// Limits a bevel window to its line; call once it has its size.
void ShapeBevel(void* window);

} // namespace tarn::uninstall::win32
