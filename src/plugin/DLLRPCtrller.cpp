#include "plugin/DLLRPCtrller.h"

#include <utility>

#include "kv/Library.h"

namespace kv {

// Constructed ahead of every ordinary initialiser of the module, so the start-up
// block's registration cannot be overwritten by a later construction.
__attribute__((init_priority(101))) TFormClass frmBaseGeneClass;

namespace {

constexpr std::int32_t kCancelResult = 2;
constexpr std::int32_t kNotifyRequestKind = 5;
constexpr std::int32_t kNotifyRequestKindAlt = 9;

TDLLBaseController* CreateRPController() { return new TDLLRPCtrller; }

// The unit registers itself wherever it is linked in; the start-up block repeats
// the call so the order (controller class first) does not rest on link order.
[[maybe_unused]] const bool unitInitialised = (InitDLLRPCtrllerUnit(), true);

Variant WrapRequest(bool flag, const Variant& request) { return Variant::ArrayOf({Variant(flag), request}); }

}  // namespace

void InitDLLRPCtrllerUnit() { DLLControllerClass.Create = &CreateRPController; }

std::string OwnModuleFile() { return ModuleFileName(reinterpret_cast<const void*>(&OwnModuleFile)); }

TDLLRPCtrller::~TDLLRPCtrller() {
    if (Form) CloseForm();
}

std::string TDLLRPCtrller::GetVersion() { return Form ? Form->ProgramVersion().toStdString() : std::string(); }

WordBool TDLLRPCtrller::GetVisible() { return Form && Form->IsVisible() ? WordTrue : WordFalse; }

void TDLLRPCtrller::SetVisible(WordBool Value) {
    if (!Form) return;
    const bool visible = Value != 0;
    Form->SetVisible(visible);
    // Showing runs the host's handler, which may close the form: look again.
    if (!visible || !Form) return;
    if (Form->IsMinimized()) Form->ShowNormal();
    if (Form) Form->BringToForeground();
}

WindowHandle TDLLRPCtrller::GetHandle() { return Form ? Form->Handle() : 0; }

std::int32_t TDLLRPCtrller::Initialize(const Variant& Params) {
    const Variant params = Params;
    std::int32_t result = -1;
    if (!Form) CreateForm();
    if (Form && Form->Initialize(params)) result = 0;
    return result;
}

std::int32_t TDLLRPCtrller::ApplyRequest(const Variant& Params) {
    if (!Form || !Params.IsArray()) return -1;
    try {
        return HandOverRequest(true, Params[1]);
    } catch (...) {
        return -1;
    }
}

std::int32_t TDLLRPCtrller::Notify(std::int32_t Kind, std::int32_t, const Variant& Params) {
    if (!Form || (Kind != kNotifyRequestKind && Kind != kNotifyRequestKindAlt)) return -1;
    try {
        return HandOverRequest(false, Params);
    } catch (...) {
        return -1;
    }
}

Variant TDLLRPCtrller::ShowFormModal() { return Variant(Form ? std::int32_t{Form->ShowModal()} : kCancelResult); }

void TDLLRPCtrller::CloseForm() {
    // The destroy hook clears Form; nothing of this object is touched afterwards,
    // because the host may free the controller on event 304.
    if (Form && !Form->IsDestroying()) Form->Destroy();
}

std::int32_t TDLLRPCtrller::GetInfo(Variant& Info) {
    if (!Form) return -1;
    Variant info = Variant::Array(0, 3);
    info[0] = Form->UserID().toStdString();
    info[1] = Form->CompanyID().toStdString();
    info[2] = Form->ProgramCode().toStdString();
    info[3] = Form->ProgramName().toStdString();
    Info = std::move(info);
    return 0;
}

bool TDLLRPCtrller::IsFormFreed() { return Form == nullptr; }

void TDLLRPCtrller::DoFormShow(TObject* Sender) {
    if (SavedOnShow) SavedOnShow(Sender);
    TDLLBaseController::DoFormShow(Sender);
}

void TDLLRPCtrller::DoFormHide(TObject* Sender) {
    if (SavedOnHide) SavedOnHide(Sender);
    TDLLBaseController::DoFormHide(Sender);
}

void TDLLRPCtrller::DoFormDestroy(TObject* Sender) {
    // Form is cleared before anything else runs: the outcome is copied and the
    // host told while no slot can reach the dying form, and the host may free
    // this controller from its event handler.
    IOptionForm* form = std::exchange(Form, nullptr);
    if (!form) return;
    CopyOutcome(*form);
    // The saved handlers belong to the form that is going away.
    const TNotifyEvent ownHandler = std::exchange(SavedOnDestroy, nullptr);
    SavedOnShow = nullptr;
    SavedOnHide = nullptr;
    if (ownHandler) ownHandler(Sender);
    TDLLBaseController::DoFormDestroy(Sender);
}

void TDLLRPCtrller::CreateForm() {
    if (!frmBaseGeneClass) throw EDLLInternalError(NotAssignedMessage("frmBaseGeneClass"));
    Form = frmBaseGeneClass.Create();
    if (!Form) return;
    // Hooked before anything else can fail or reach the host: a form held by this
    // controller must always report its destruction, or Form would dangle.
    HookFormEvents();
    Form->SetModuleFile(QString::fromStdString(OwnModuleFile()));
    Form->SetHostObject(HostObject);
    DoFormCreated(Form->AsSender());
}

void TDLLRPCtrller::HookFormEvents() {
    if (!Form) return;
    SavedOnShow = Form->OnShow();
    Form->SetOnShow([this](TObject* sender) { DoFormShow(sender); });
    SavedOnHide = Form->OnHide();
    Form->SetOnHide([this](TObject* sender) { DoFormHide(sender); });
    SavedOnDestroy = Form->OnDestroy();
    Form->SetOnDestroy([this](TObject* sender) { DoFormDestroy(sender); });
}

void TDLLRPCtrller::CopyOutcome(const IOptionForm& form) {
    ResultCode = form.ResultCode();
    ResultData = form.ResultData();
}

std::int32_t TDLLRPCtrller::HandOverRequest(bool flag, const Variant& request) {
    Form->ApplyHostRequest(WrapRequest(flag, request));
    return 0;
}

}  // namespace kv
