// The work-center object "FenmorWorkCenter.Manager" and the three services it gives
// out: the counter (system settings, SIMPLESQL), the validator (rows by table and
// key) and the lookup window (F2 lookups, date and phrase pickers). Member names
// match without regard to case, as late binding does.
#pragma once

#include "TableCatalogue.h"
#include "WorkCenterContext.h"
#include "kv/Automation.h"
#include "kv/Variant.h"

namespace kv::workcenter {

class TCounterService : public IDispatchObject {
public:
    explicit TCounterService(ContextPtr context) : context_(std::move(context)) {}
    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) override;

    // [0..1, 0..n-1]: [0, i] a setting's name, [1, i] its value.
    Variant GetSysInfo(const Variant& companyId);
    // "SIMPLESQL" with [SQL text, column name] (or the SQL text alone).
    Variant GetCounter(const Variant& operation, const Variant& argument);

private:
    ContextPtr context_;
};

class TValidatorService : public IDispatchObject {
public:
    explicit TValidatorService(ContextPtr context) : context_(std::move(context)) {}
    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) override;

    // True when the table and key have a row for the parameters; `row` receives
    // its columns as a 0-based array (Empty when there is none).
    bool QueryData(const Variant& table, const Variant& key, const Variant& params, Variant& row);

private:
    void SetBaseLimited(const Variant& value);

    ContextPtr context_;
    int productId_ = 0;
    std::string baseLimitedText_;
    TCompanyLimit limit_;
};

class TF2WindowService : public IDispatchObject {
public:
    explicit TF2WindowService(ContextPtr context) : context_(std::move(context)) {}
    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) override;

    // The 19-element request (17 in edition 7). The picked rows as an array of
    // 0-based row arrays; Empty when the user cancels or picks nothing.
    Variant F2GetData(const Variant& request);
    // [Minguo flag, YYYYMMDD, DbName] → the chosen day as YYYYMMDD; "" on cancel.
    Variant ShowInputDay(const Variant& request);
    // The chosen phrase; "" on cancel or when the user has none.
    Variant GetPhrase(const Variant& userId);

private:
    ContextPtr context_;
};

class TWorkCenterManager : public IDispatchObject {
public:
    explicit TWorkCenterManager(ContextPtr context);
    Variant Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) override;

    Variant GetMessage(const Variant& kind, const Variant& id) const;
    // [program prefix, topic]: opens <help>/<prefix>/<topic>.html; false when there
    // is no such page.
    Variant CallHelp(const Variant& request) const;
    // [module file name]: "<Modify>stamp</Modify><Path>central file</Path>" for
    // <update folder>/<name>.zip, the stamp its UTC modification time as
    // "yyyy-MM-ddThh:mm:ssZ"; "" when there is no central copy.
    Variant GetFileList(const Variant& request) const;

private:
    ContextPtr context_;
    Variant counter_;
    Variant validator_;
    Variant f2Window_;
};

}  // namespace kv::workcenter
