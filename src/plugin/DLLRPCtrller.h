// The report-program controller: the object GetController hands to the host. It
// creates the one option form, forwards the host's requests to it, reports the
// form's life to the host and keeps the form's outcome.
#pragma once

#include "forms/OptionFormIntf.h"
#include "kv/Controller.h"
#include "platform/Classes.h"
#include "plugin/DLLBaseCtrller.h"

namespace kv {

class TDLLRPCtrller : public TDLLBaseController {
public:
    IOptionForm* Form = nullptr;
    TNotifyEvent SavedOnShow;
    TNotifyEvent SavedOnHide;
    TNotifyEvent SavedOnDestroy;

    TDLLRPCtrller() = default;
    TDLLRPCtrller(const TDLLRPCtrller&) = delete;
    TDLLRPCtrller& operator=(const TDLLRPCtrller&) = delete;
    ~TDLLRPCtrller() override;

    std::string GetVersion() override;
    WordBool GetVisible() override;
    void SetVisible(WordBool Value) override;
    WindowHandle GetHandle() override;
    std::int32_t Initialize(const Variant& Params) override;
    std::int32_t ApplyRequest(const Variant& Params) override;
    std::int32_t Notify(std::int32_t Kind, std::int32_t Reserved, const Variant& Params) override;
    Variant ShowFormModal() override;
    void CloseForm() override;
    std::int32_t GetInfo(Variant& Info) override;
    bool IsFormFreed() override;

    void DoFormShow(TObject* Sender) override;
    void DoFormHide(TObject* Sender) override;
    void DoFormDestroy(TObject* Sender) override;

private:
    void CreateForm();
    void HookFormEvents();
    void CopyOutcome(const IOptionForm& form);
    std::int32_t HandOverRequest(bool flag, const Variant& request);
};

// The form class the controller creates; the module's start-up block registers it.
extern TFormClass frmBaseGeneClass;

// The unit's initialisation: registers TDLLRPCtrller as the controller class. The
// module's start-up block calls it before its own registration.
void InitDLLRPCtrllerUnit();

// The full path of the module this code is linked into.
std::string OwnModuleFile();

}  // namespace kv
