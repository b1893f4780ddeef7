#include "HostLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>

namespace kv::host {

void HostLog::AddStream(std::ostream& out) {
    AddSink([&out](const std::string& line) { out << line << "\n" << std::flush; });
}

bool HostLog::AddFile(const QString& path, QString* error) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, file->errorString());
        return false;
    }
    // Flushed per line: the transcript is complete even when a plug-in takes the
    // process down.
    AddSink([file](const std::string& line) {
        file->write(line.data(), static_cast<qint64>(line.size()));
        file->write("\n", 1);
        file->flush();
    });
    return true;
}

void HostLog::Line(const std::string& line) const {
    for (const Sink& sink : sinks_) sink(line);
}

}  // namespace kv::host
