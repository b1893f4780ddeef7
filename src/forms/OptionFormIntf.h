// What the report controller needs from its option form. The option dialog base
// class implements it; the controller never sees more of the form than this, so it
// can be driven by any form class registered in frmBaseGeneClass.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

#include "kv/Controller.h"
#include "kv/Variant.h"
#include "platform/Classes.h"

namespace kv {

class IOptionForm {
public:
    virtual ~IOptionForm();

    // The form as the Sender of its own notifications.
    virtual TObject* AsSender() = 0;

    // Full path of the module the form runs in.
    virtual void SetModuleFile(const QString& path) = 0;
    virtual void SetHostObject(const Variant& host) = 0;
    // The host parameter array; false when the form refuses it.
    virtual bool Initialize(const Variant& params) = 0;
    // A host request wrapped as [flag, request]; the form processes element 1.
    // May throw.
    virtual void ApplyHostRequest(const Variant& wrapped) = 0;

    virtual QString UserID() const = 0;
    virtual QString CompanyID() const = 0;
    virtual QString ProgramCode() const = 0;
    virtual QString ProgramName() const = 0;
    virtual QString ProgramVersion() const = 0;
    // The outcome: 0 nothing submitted, 1 a job was submitted, 2 cancelled.
    virtual std::int32_t ResultCode() const = 0;
    virtual Variant ResultData() const = 0;

    // The form's show, hide and destroy handlers. The destroy handler runs first
    // thing in the form's destruction, while the outcome can still be read; no
    // show or hide handler runs after it.
    virtual TNotifyEvent OnShow() const = 0;
    virtual void SetOnShow(TNotifyEvent handler) = 0;
    virtual TNotifyEvent OnHide() const = 0;
    virtual void SetOnHide(TNotifyEvent handler) = 0;
    virtual TNotifyEvent OnDestroy() const = 0;
    virtual void SetOnDestroy(TNotifyEvent handler) = 0;

    virtual bool IsVisible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsMinimized() const = 0;
    virtual void ShowNormal() = 0;
    virtual void BringToForeground() = 0;
    // The window handle, created on demand.
    virtual WindowHandle Handle() = 0;
    // Shows the form modally and returns its modal result.
    virtual int ShowModal() = 0;

    // True from the start of the form's destruction.
    virtual bool IsDestroying() const = 0;
    // Destroys the form now; the object is gone when this returns.
    virtual void Destroy() = 0;
};

// A class reference to a form class: empty until a module registers its form.
struct TFormClass {
    QString ClassName;
    std::function<IOptionForm*()> Create;

    explicit operator bool() const { return static_cast<bool>(Create); }
};

}  // namespace kv
