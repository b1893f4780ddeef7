#include "AppServerSession.h"

#include <algorithm>
#include <cctype>

#include "dmReportCounter.h"

namespace kv::appserver {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace

ObjectFactory ReportCounterFactory(std::string databasePath) {
    return [path = std::move(databasePath)](const std::string& progId) -> DispatchPtr {
        if (!EqualsIgnoringCase(progId, kReportCounterProgId))
            throw EOleError("the application server does not serve the class \"" + progId + "\"");
        return CreateReportCounter(path);
    };
}

TAppServerSession::TAppServerSession(ObjectFactory factory, std::uint32_t maxFrameBytes, std::size_t maxObjects)
    : factory_(std::move(factory)), maxFrameBytes_(maxFrameBytes), maxObjects_(maxObjects) {}

DispatchPtr TAppServerSession::Object(std::uint32_t id) const {
    const auto it = objects_.find(id);
    if (it == objects_.end()) throw EOleError("no object " + std::to_string(id) + " in this session");
    return it->second;
}

std::optional<wire::Message> TAppServerSession::Handle(wire::Message request) {
    using wire::Op;
    try {
        switch (request.op) {
        case Op::Create: {
            if (objects_.size() >= maxObjects_)
                return wire::ErrorMessage("too many objects in this session (at most " + std::to_string(maxObjects_) + ")");
            DispatchPtr object = factory_(request.text);
            if (!object) throw EOleError("the class \"" + request.text + "\" made no object");
            while (nextId_ == 0 || objects_.count(nextId_)) ++nextId_;
            const std::uint32_t id = nextId_++;
            objects_.emplace(id, std::move(object));
            return wire::CreatedMessage(id);
        }
        case Op::Invoke: {
            DispatchPtr object = Object(request.objectId);
            Variant result = object->Invoke(request.text, request.kind, request.args);
            return wire::ResultMessage(std::move(result), std::move(request.args));
        }
        case Op::FetchRows: {
            DispatchPtr object = Object(request.objectId);
            std::vector<Variant> args{Variant(request.text)};
            return wire::RowsMessage(object->Invoke("GetProviderRows", InvokeKind::Method, args));
        }
        case Op::Release:
            objects_.erase(request.objectId);
            return std::nullopt;
        default:
            return wire::ErrorMessage("the server does not accept this kind of message");
        }
    } catch (const std::exception& e) {
        return wire::ErrorMessage(e.what());
    } catch (...) {
        return wire::ErrorMessage("unknown server error");
    }
}

std::optional<std::string> TAppServerSession::HandleBody(std::string_view body) {
    wire::Message request;
    try {
        request = wire::DecodeMessage(body);
    } catch (const std::exception& e) {
        return wire::EncodeMessage(wire::ErrorMessage(std::string("malformed request: ") + e.what()));
    }
    std::optional<wire::Message> reply = Handle(std::move(request));
    if (!reply) return std::nullopt;
    try {
        std::string encoded = wire::EncodeMessage(*reply);
        if (encoded.size() > maxFrameBytes_) throw wire::EWireError("the reply exceeds the frame maximum");
        return encoded;
    } catch (const std::exception& e) {
        return wire::EncodeMessage(wire::ErrorMessage(std::string("the reply cannot be sent: ") + e.what()));
    }
}

}  // namespace kv::appserver
