// Pictures of the host's window and of a plug-in's dialog, for the demo and for
// looking at a headless run afterwards.
#pragma once

#include <QString>

#include "kv/Controller.h"

class QWidget;

namespace kv::host {

// Renders the widget (shown or not) and saves it as PNG; false with the reason.
bool SaveWidgetImage(QWidget& widget, const QString& path, QString* error);

// The widget behind a window handle a plug-in gave (GetHandle), saved the same way.
bool SaveWindowImage(WindowHandle handle, const QString& path, QString* error);

// Where the dialog goes beside the window's picture: "shot.png" -> "shot-dialog.png".
QString DialogImagePath(const QString& windowImagePath);

}  // namespace kv::host
