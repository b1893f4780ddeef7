// One client's session with the application server, apart from any socket: it
// takes request frame bodies and gives reply frame bodies. The session owns the
// objects the client created; they go when the session goes.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "kv/Automation.h"
#include "kv/Variant.h"
#include "kv/Wire.h"

namespace kv::appserver {

// Makes a server object by ProgID; raises EOleError for a class it does not serve.
using ObjectFactory = std::function<DispatchPtr(const std::string& progId)>;

// The daemon's factory: "ReportCounterS.dmReportCounter" on the given database.
ObjectFactory ReportCounterFactory(std::string databasePath);

class TAppServerSession {
public:
    static constexpr std::size_t kDefaultMaxObjects = 64;

    explicit TAppServerSession(ObjectFactory factory, std::uint32_t maxFrameBytes = wire::kDefaultMaxFrameBytes,
                               std::size_t maxObjects = kDefaultMaxObjects);

    // The encoded reply to one request body; nothing for a Release. Never raises:
    // every failure becomes an Error reply.
    std::optional<std::string> HandleBody(std::string_view body);
    std::optional<wire::Message> Handle(wire::Message request);

    std::size_t ObjectCount() const noexcept { return objects_.size(); }

private:
    DispatchPtr Object(std::uint32_t id) const;

    ObjectFactory factory_;
    std::uint32_t maxFrameBytes_;
    std::size_t maxObjects_;
    std::map<std::uint32_t, DispatchPtr> objects_;
    std::uint32_t nextId_ = 1;
};

}  // namespace kv::appserver
