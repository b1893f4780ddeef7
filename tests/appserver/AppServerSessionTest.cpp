// A session apart from any socket: object table limits and release.
#include <gtest/gtest.h>

#include <set>

#include "AppServerSession.h"

namespace kv {
namespace {

class Nothing : public IDispatchObject {
public:
    Variant Invoke(const std::string&, InvokeKind, std::vector<Variant>&) override { return Variant(); }
};

TEST(AppServerSession, HoldsAtMostItsLimitOfObjects) {
    appserver::TAppServerSession session([](const std::string&) { return std::make_shared<Nothing>(); },
                                         wire::kDefaultMaxFrameBytes, 3);
    std::vector<std::uint32_t> ids;
    for (int i = 0; i < 3; ++i) {
        const auto reply = session.Handle(wire::CreateMessage("Any"));
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->op, wire::Op::Created);
        ids.push_back(reply->objectId);
    }
    EXPECT_EQ(std::set<std::uint32_t>(ids.begin(), ids.end()).size(), 3u) << "ids are distinct";
    const auto refused = session.Handle(wire::CreateMessage("Any"));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->op, wire::Op::Error);

    EXPECT_FALSE(session.Handle(wire::ReleaseMessage(ids[1])));
    EXPECT_FALSE(session.Handle(wire::ReleaseMessage(12345))) << "releasing an unknown object is ignored";
    EXPECT_EQ(session.ObjectCount(), 2u);
    const auto again = session.Handle(wire::CreateMessage("Any"));
    ASSERT_TRUE(again);
    EXPECT_EQ(again->op, wire::Op::Created);
}

TEST(AppServerSession, ARefusedFactoryIsAnErrorReply) {
    appserver::TAppServerSession session([](const std::string& id) -> DispatchPtr {
        if (id == "Null.Class") return nullptr;
        throw EOleError("no class " + id);
    });
    for (const char* progId : {"Null.Class", "Other.Class"}) {
        const auto body = session.HandleBody(wire::EncodeMessage(wire::CreateMessage(progId)));
        ASSERT_TRUE(body);
        const wire::Message reply = wire::DecodeMessage(*body);
        EXPECT_EQ(reply.op, wire::Op::Error) << progId;
        EXPECT_NE(reply.text.find(progId), std::string::npos) << reply.text;
    }
    EXPECT_EQ(session.ObjectCount(), 0u);
}

}  // namespace
}  // namespace kv
