#pragma once

#include "app/application.h"

class QWidget;

namespace vornap {

// Applies the current skin to the window named by sSkinForm.
void SetSkin(Application& app);

// The window of that name: the main window, an open dialog, or one created
// hidden through its registered factory. Null when there is no such window
// and no factory for it.
QWidget* SkinnableForm(Application& app, const QString& name);

} // namespace vornap
