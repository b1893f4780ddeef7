#include "HostScreenshot.h"

#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>

namespace kv::host {

bool SaveWidgetImage(QWidget& widget, const QString& path, QString* error) {
    widget.ensurePolished();
    const QPixmap picture = widget.grab();
    if (picture.isNull()) {
        if (error) *error = QStringLiteral("the window has nothing to draw");
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!picture.save(path, "PNG")) {
        if (error) *error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

bool SaveWindowImage(WindowHandle handle, const QString& path, QString* error) {
    QWidget* widget = handle ? QWidget::find(static_cast<WId>(handle)) : nullptr;
    if (!widget) {
        if (error) *error = QStringLiteral("no window of this process has the handle %1").arg(handle);
        return false;
    }
    return SaveWidgetImage(*widget, path, error);
}

QString DialogImagePath(const QString& windowImagePath) {
    const QFileInfo info(windowImagePath);
    const QString suffix = info.suffix().isEmpty() ? QStringLiteral("png") : info.suffix();
    return info.dir().filePath(info.completeBaseName() + QStringLiteral("-dialog.") + suffix);
}

}  // namespace kv::host
