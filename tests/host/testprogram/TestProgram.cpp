// The tests' report program. KVN_TEST_PROGRAM, read when the controller is made,
// chooses what it does, as ";"-separated settings:
//
//     get=throw            GetController raises
//     init=refuse|throw    Initialize returns -1 or raises (default: accepts)
//     apply=N|throw        ApplyRequest returns N (default 0) or raises
//     code=N data=TEXT     the outcome the form leaves when it goes
//
// The outcome data is an array of "name=value" texts saying what the host gave:
// the work center's ProductID and a GetMessage answer, the parameter array's
// bounds, user, company, database and window handle, and the request.
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "kv/Controller.h"
#include "kv/Variant.h"
#include "plugin/DLLBaseCtrller.h"

namespace {

std::string Setting(const std::string& name) {
    const char* env = std::getenv("KVN_TEST_PROGRAM");
    const std::string all = env ? env : "";
    std::size_t start = 0;
    while (start <= all.size()) {
        const std::size_t end = std::min(all.find(';', start), all.size());
        const std::string item = all.substr(start, end - start);
        if (item.rfind(name + "=", 0) == 0) return item.substr(name.size() + 1);
        start = end + 1;
    }
    return "";
}

std::string TypeName(const kv::Variant& v) {
    switch (v.Type()) {
    case kv::VarType::Int: return "int";
    case kv::VarType::String: return "string";
    case kv::VarType::Empty: return "empty";
    default: return "other";
    }
}

class TestController : public kv::TDLLBaseController {
public:
    std::string GetVersion() override { return held_ ? "test-1.0" : ""; }
    kv::WordBool GetVisible() override { return held_ && visible_ ? kv::WordTrue : kv::WordFalse; }
    void SetVisible(kv::WordBool value) override {
        if (!held_ || (value != 0) == visible_) return;
        visible_ = value != 0;
        if (visible_) DoFormShow(nullptr);
        else DoFormHide(nullptr);
    }
    kv::WindowHandle GetHandle() override { return 0; }

    std::int32_t Initialize(const kv::Variant& params) override {
        const std::string init = Setting("init");
        if (init == "throw") throw std::runtime_error("the test program's Initialize failed\ron purpose");
        held_ = true;
        DoFormCreated(nullptr);
        Note("ProductID", HostObject.Get("ProductID").ToString());
        Note("GetMessage", HostObject.Call("GetMessage", "E", "000038").ToString());
        NoteParameters(params);
        if (params.IsArray() && params.HighBound() >= 1) {
            user_ = params[0].ToString();
            company_ = params[1].ToString();
        }
        return init == "refuse" ? -1 : 0;
    }

    std::int32_t ApplyRequest(const kv::Variant& params) override {
        if (!held_ || !params.IsArray()) return -1;
        const std::string apply = Setting("apply");
        if (apply == "throw") throw std::runtime_error("the test program's ApplyRequest failed");
        Note("request", kv::DebugString(params[1]));
        return apply.empty() ? 0 : std::stoi(apply);
    }

    std::int32_t Notify(std::int32_t, std::int32_t, const kv::Variant&) override { return -1; }

    kv::Variant ShowFormModal() override {
        if (!held_) return std::int32_t{2};
        SetVisible(kv::WordTrue);
        SetVisible(kv::WordFalse);
        return std::int32_t{2};
    }

    void CloseForm() override {
        if (!held_) return;
        held_ = false;
        const std::string code = Setting("code");
        ResultCode = code.empty() ? 0 : std::stoi(code);
        Note("data", Setting("data"));
        ResultData = kv::Variant::ArrayOf(notes_);
        DoFormDestroy(nullptr);
    }

    std::int32_t GetInfo(kv::Variant& info) override {
        if (!held_) return -1;
        info = kv::Variant::ArrayOf({user_, company_, "HOSTTEST", "the tests' report program"});
        return 0;
    }
    bool IsFormFreed() override { return !held_; }

    ~TestController() override { CloseForm(); }

private:
    void Note(const std::string& name, const std::string& value) { notes_.emplace_back(name + "=" + value); }

    void NoteParameters(const kv::Variant& params) {
        if (!params.IsArray()) {
            Note("params", "not an array");
            return;
        }
        Note("params", std::to_string(params.LowBound()) + ".." + std::to_string(params.HighBound()));
        const char* names[] = {"user", "company", "db", "window", "reserved"};
        for (int i = std::max(0, params.LowBound()); i <= params.HighBound() && i < 5; ++i)
            Note(names[i], TypeName(params[i]) + ":" + params[i].ToString());
    }

    bool held_ = false;
    std::string user_;
    std::string company_;
    bool visible_ = false;
    std::vector<kv::Variant> notes_;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) kv::TDLLBaseController* GetController() {
    if (Setting("get") == "throw") throw std::runtime_error("the test program has no controller");
    return new TestController;
}
