// The host-visible boundary of a report-program plug-in: the controller the host
// obtains from the plug-in's one export and drives by its virtual operations.
// Field order, slot order and types are fixed: hosts compile against them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "kv/Variant.h"

namespace kv {

class TObject;  // the sender of a form notification; opaque to hosts

// A 16-bit Boolean whose true has every bit set.
using WordBool = std::int16_t;
inline constexpr WordBool WordTrue = -1;
inline constexpr WordBool WordFalse = 0;

using WindowHandle = std::uintptr_t;

class TDLLBaseController;
using TControllerEvent = std::function<void(std::int32_t Code, TDLLBaseController* Sender)>;

// Life events raised through OnEvent.
inline constexpr std::int32_t evFormCreated = 0x100;
inline constexpr std::int32_t evFormShow = 0x110;
inline constexpr std::int32_t evFormHide = 0x120;
inline constexpr std::int32_t evFormDestroy = 0x130;
inline constexpr std::int32_t evSpare = 0x140;

class TDLLBaseController {
public:
    Variant HostObject;
    std::int32_t ResultCode = 0;
    Variant ResultData;
    TControllerEvent OnEvent;

    virtual ~TDLLBaseController();

    // Slots 0-10: the report controller implements them.
    virtual std::string GetVersion() = 0;
    virtual WordBool GetVisible() = 0;
    virtual void SetVisible(WordBool Value) = 0;
    virtual WindowHandle GetHandle() = 0;
    virtual std::int32_t Initialize(const Variant& Params) = 0;
    virtual std::int32_t ApplyRequest(const Variant& Params) = 0;
    virtual std::int32_t Notify(std::int32_t Kind, std::int32_t Reserved, const Variant& Params) = 0;
    virtual Variant ShowFormModal() = 0;
    virtual void CloseForm() = 0;
    virtual std::int32_t GetInfo(Variant& Info) = 0;
    virtual bool IsFormFreed() = 0;

    // Slots 11-17.
    virtual void DoFormCreated(TObject* Sender);
    virtual void DoFormShow(TObject* Sender);
    virtual void DoFormHide(TObject* Sender);
    virtual void DoFormDestroy(TObject* Sender);
    virtual void DoSpareEvent();
    virtual void DoEvent(std::int32_t Code);
    virtual void ReservedHook();
};

}  // namespace kv

// The plug-in's only export.
extern "C" kv::TDLLBaseController* GetController();
using GetControllerFn = kv::TDLLBaseController* (*)();
