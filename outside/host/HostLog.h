// Where the host writes what happens in a session: one line at a time, to any
// number of sinks (standard output, the outcome file, the window's event log).
#pragma once

#include <QString>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kv::host {

class HostLog {
public:
    using Sink = std::function<void(const std::string& line)>;

    void AddSink(Sink sink) { sinks_.push_back(std::move(sink)); }
    // Adds a stream; it must outlive this log.
    void AddStream(std::ostream& out);
    // Truncates the file and adds it; false with the reason when it cannot be written.
    bool AddFile(const QString& path, QString* error);

    void Line(const std::string& line) const;

private:
    std::vector<Sink> sinks_;
};

}  // namespace kv::host
