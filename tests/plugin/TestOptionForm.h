// A stand-in option form for driving the report controller: a plain object that
// writes what happens to it into a shared journal, and that can free itself as a
// real form does when its window closes.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "forms/OptionFormIntf.h"
#include "platform/Classes.h"

namespace kv::test {

using Journal = std::vector<std::string>;

// How the form behaves; set by the test before the controller creates it.
struct FormScript {
    bool AcceptParams = true;
    bool OwnHandlers = true;  // the form has show, hide and destroy handlers of its own
    bool StartMinimized = false;
    enum class RequestFailure { None, StdException, OtherException } FailRequest = RequestFailure::None;
    std::int32_t ResultCode = 0;
    Variant ResultData;
    int ModalResult = 2;
    std::function<void()> WhileDestroying;  // runs after destruction began, before the destroy handler
};

class TestOptionForm final : public IOptionForm, public TObject {
public:
    TestOptionForm(Journal& journal, const FormScript& script) : journal_(journal), script_(script) {
        minimized_ = script.StartMinimized;
        if (script.OwnHandlers) {
            onShow_ = [this](TObject* s) { Log(s == this ? "form.FormShow" : "form.FormShow(wrong sender)"); };
            onHide_ = [this](TObject* s) { Log(s == this ? "form.FormHide" : "form.FormHide(wrong sender)"); };
            onDestroy_ = [this](TObject* s) { Log(s == this ? "form.FormDestroy" : "form.FormDestroy(wrong sender)"); };
        }
        Live().insert(this);
        Log("form.Create");
    }
    ~TestOptionForm() override { Live().erase(this); }

    // Forms alive right now, over every test.
    static std::set<TestOptionForm*>& Live() {
        static std::set<TestOptionForm*> live;
        return live;
    }

    // The window closing: the form frees itself.
    void CloseItself() { Destroy(); }
    // The form setting its outcome, as a submitted job does.
    void SetOutcome(std::int32_t code, const Variant& data) {
        script_.ResultCode = code;
        script_.ResultData = data;
    }

    QString ModuleFile;
    Variant HostObject;
    std::vector<Variant> Requests;  // what ApplyHostRequest received
    int HandlerAssignments = 0;     // SetOn* calls
    int ShowNormalCalls = 0;
    int ForegroundCalls = 0;

    TObject* AsSender() override { return this; }
    void SetModuleFile(const QString& path) override {
        Log("form.SetModuleFile");
        ModuleFile = path;
    }
    void SetHostObject(const Variant& host) override {
        Log("form.SetHostObject");
        HostObject = host;
    }
    bool Initialize(const Variant& params) override {
        Log("form.Initialize " + DebugString(params));
        // One initialisation per form, as the option dialog does.
        if (!companyID_.isEmpty() || !script_.AcceptParams) return false;
        userID_ = QString::fromStdString(params[0].ToString());
        companyID_ = QString::fromStdString(params[1].ToString());
        return true;
    }
    void ApplyHostRequest(const Variant& wrapped) override {
        Log("form.ApplyHostRequest");
        Requests.push_back(wrapped);
        switch (script_.FailRequest) {
        case FormScript::RequestFailure::StdException: throw std::runtime_error("request failed");
        case FormScript::RequestFailure::OtherException: throw 42;
        case FormScript::RequestFailure::None: break;
        }
    }

    QString UserID() const override { return userID_; }
    QString CompanyID() const override { return companyID_; }
    QString ProgramCode() const override { return "HRWR07"; }
    QString ProgramName() const override { return QString::fromUtf8("薪资报表"); }
    QString ProgramVersion() const override { return "881013-0.00.01"; }
    std::int32_t ResultCode() const override { return script_.ResultCode; }
    Variant ResultData() const override { return script_.ResultData; }

    TNotifyEvent OnShow() const override { return onShow_; }
    void SetOnShow(TNotifyEvent h) override { ++HandlerAssignments; onShow_ = std::move(h); }
    TNotifyEvent OnHide() const override { return onHide_; }
    void SetOnHide(TNotifyEvent h) override { ++HandlerAssignments; onHide_ = std::move(h); }
    TNotifyEvent OnDestroy() const override { return onDestroy_; }
    void SetOnDestroy(TNotifyEvent h) override { ++HandlerAssignments; onDestroy_ = std::move(h); }

    bool IsVisible() const override { return visible_; }
    void SetVisible(bool visible) override {
        if (visible == visible_) return;
        visible_ = visible;
        Fire(visible ? onShow_ : onHide_);
    }
    bool IsMinimized() const override { return minimized_; }
    void ShowNormal() override {
        ++ShowNormalCalls;
        minimized_ = false;
    }
    void BringToForeground() override { ++ForegroundCalls; }
    WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(this); }
    int ShowModal() override {
        SetVisible(true);
        Log("form.ModalLoop");
        SetVisible(false);
        return script_.ModalResult;
    }
    bool IsDestroying() const override { return destroying_; }
    void Destroy() override {
        destroying_ = true;
        Log("form.Destroy");
        if (script_.WhileDestroying) script_.WhileDestroying();
        Fire(onDestroy_);
        delete this;
    }

private:
    void Log(const std::string& entry) { journal_.push_back(entry); }
    void Fire(const TNotifyEvent& handler) {
        if (handler) handler(this);
    }

    Journal& journal_;
    FormScript script_;
    QString userID_;
    QString companyID_;
    TNotifyEvent onShow_, onHide_, onDestroy_;
    bool visible_ = false;
    bool minimized_ = false;
    bool destroying_ = false;
};

}  // namespace kv::test
