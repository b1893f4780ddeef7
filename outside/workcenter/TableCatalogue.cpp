#include "TableCatalogue.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <map>
#include <memory>

#include "SampleDatabase.h"
#include "WorkCenterText.h"
#include "kv/Automation.h"

namespace kv::workcenter {
namespace {

const std::vector<TTableKey>& Catalogue() {
    static const std::vector<TTableKey> defs = {
        {.Table = "ADMMB",
         .Key = "01",
         .Meaning = "program by code",
         .TitleSimplified = "程序信息查询",
         .TitleTraditional = "程式資訊查詢",
         .TitleEnglish = "Programs",
         .From = "ADMMB",
         .Where = nullptr,
         .Row = {{"MB002", "程序名称", "程式名稱", "Program name"},
                 {"MB001", "程序代号", "程式代號", "Program code"},
                 {"MB003", "系统", "系統", "System"},
                 {"MB004", "类别", "類別", "Kind"},
                 {"MB005", "记录执行", "記錄執行", "Log runs"},
                 {"MB006", "版本", "版本", "Version"},
                 {"MB007", "模块文件", "模組檔案", "Module file"},
                 {"MB008", "英文名称", "英文名稱", "English name"}},
         .Lookup = {},
         .Keys = {{"MB001", Match::NoCase}},
         .LookupKeys = {{"MB003", Match::NoCase}},
         .CompanyColumn = nullptr,
         .OrderBy = "MB001"},
        {.Table = "ADMMB",
         .Key = "11",
         .Meaning = "direct-query lock of a program",
         .TitleSimplified = "程序信息查询",
         .TitleTraditional = "程式資訊查詢",
         .TitleEnglish = "Programs",
         .From = "ADMMB",
         .Where = nullptr,
         .Row = {{"MB001", "程序代号", "程式代號", "Program code"},
                 {"MB002", "程序名称", "程式名稱", "Program name"},
                 {"MB008", "英文名称", "英文名稱", "English name"},
                 {"MB009", "禁止直接查询", "禁止直接查詢", "No direct query"}},
         .Lookup = {},
         .Keys = {{"MB001", Match::NoCase}},
         .LookupKeys = {},
         .CompanyColumn = nullptr,
         .OrderBy = "MB001"},
        {.Table = "GENES",
         .Key = "01",
         .Meaning = "condition scheme by name, user and program",
         .TitleSimplified = "条件方案查询",
         .TitleTraditional = "條件方案查詢",
         .TitleEnglish = "Condition schemes",
         .From = "schemes",
         .Where = nullptr,
         .Row = {{"ncondition", "方案名称", "方案名稱", "Scheme"},
                 {"creator", "建立者", "建立者", "User"},
                 {"programme", "程序代号", "程式代號", "Program code"},
                 {"create_date", "建立日期", "建立日期", "Created"}},
         .Lookup = {},
         .Keys = {{"ncondition", Match::Bytes}, {"creator", Match::Exact}, {"programme", Match::NoCase}},
         .LookupKeys = {{"creator", Match::Exact}, {"programme", Match::NoCase}},
         .CompanyColumn = nullptr,
         .OrderBy = "ncondition",
         .Source = Store::SchemeStore},
        {.Table = "CMSMT",
         .Key = "01",
         .Meaning = "report settings of a program",
         .TitleSimplified = "报表设置查询",
         .TitleTraditional = "報表設定查詢",
         .TitleEnglish = "Report settings",
         .From = "CMSMT LEFT JOIN CMSMS F ON F.MS001 = '1' AND F.MS002 = CMSMT.MT002"
                 " LEFT JOIN CMSMS S ON S.MS001 = '2' AND S.MS002 = CMSMT.MT004",
         .Where = nullptr,
         .Row = {{"MT002", "页脚代号", "頁尾代號", "Footer"},
                 {"MT003", "使用页脚", "使用頁尾", "Footer on"},
                 {"COALESCE(F.MS003, '')", "页脚名称", "頁尾名稱", "Footer name"},
                 {"COALESCE(F.MS004, '')", "页脚一", "頁尾一", "Footer line 1"},
                 {"COALESCE(F.MS005, '')", "页脚二", "頁尾二", "Footer line 2"},
                 {"COALESCE(F.MS006, '')", "页脚三", "頁尾三", "Footer line 3"},
                 {"MT004", "签核代号", "簽核代號", "Sign-off"},
                 {"MT005", "使用签核", "使用簽核", "Sign-off on"},
                 {"COALESCE(S.MS003, '')", "签核名称", "簽核名稱", "Sign-off name"},
                 {"COALESCE(S.MS004, '')", "签核一", "簽核一", "Sign-off line 1"},
                 {"COALESCE(S.MS005, '')", "签核二", "簽核二", "Sign-off line 2"},
                 {"COALESCE(S.MS006, '')", "签核三", "簽核三", "Sign-off line 3"}},
         .Lookup = {},
         .Keys = {{"MT001", Match::NoCase}},
         .LookupKeys = {},
         .CompanyColumn = nullptr,
         .OrderBy = "MT001"},
        {.Table = "CMSMS",
         .Key = "01",
         .Meaning = "footer (type 1) or sign-off (type 2) by type and ID",
         .TitleSimplified = "页脚及签核查询",
         .TitleTraditional = "頁尾及簽核查詢",
         .TitleEnglish = "Footers and sign-offs",
         .From = "CMSMS",
         .Where = nullptr,
         .Row = {{"MS002", "代号", "代號", "ID"},
                 {"MS004", "第一行", "第一行", "Line 1"},
                 {"MS005", "第二行", "第二行", "Line 2"},
                 {"MS006", "第三行", "第三行", "Line 3"},
                 {"MS003", "名称", "名稱", "Name"}},
         .Lookup = {{"MS002", "代号", "代號", "ID"},
                    {"MS003", "名称", "名稱", "Name"},
                    {"MS004", "第一行", "第一行", "Line 1"},
                    {"MS005", "第二行", "第二行", "Line 2"},
                    {"MS006", "第三行", "第三行", "Line 3"}},
         .Keys = {{"MS001", Match::Exact}, {"MS002", Match::Exact}},
         .LookupKeys = {{"MS001", Match::Exact}},
         .CompanyColumn = nullptr,
         .OrderBy = "MS001, MS002"},
        {.Table = "CMSMA",
         .Key = "02",
         .Meaning = "web report site (\"\" is the default site)",
         .TitleSimplified = "报表网站查询",
         .TitleTraditional = "報表網站查詢",
         .TitleEnglish = "Web report sites",
         .From = "CMSMA",
         .Where = "MA001 = 'WebReportConfig'",
         .Row = {{"MA003", "网址", "網址", "Address"},
                 {"MA004", "说明", "說明", "Description"},
                 {"MA002", "项目", "項目", "Entry"}},
         .Lookup = {},
         .Keys = {{"MA002", Match::Exact}},
         .LookupKeys = {},
         .CompanyColumn = nullptr,
         .OrderBy = "MA002"},
        {.Table = "PALMA",
         .Key = "01",
         .Meaning = "payroll settings of a company (\"\" is the database's own)",
         .TitleSimplified = "薪资设置查询",
         .TitleTraditional = "薪資設定查詢",
         .TitleEnglish = "Payroll settings",
         .From = "PALMA",
         .Where = nullptr,
         .Row = {{"MA001", "公司编号", "公司編號", "Company"},
                 {"MA002", "发薪日", "發薪日", "Pay day"},
                 {"MA003", "上半月截止日", "上半月截止日", "First half ends"},
                 {"MA004", "半月发薪", "半月發薪", "Half-month pay"},
                 {"MA005", "币别", "幣別", "Currency"},
                 {"MA006", "说明", "說明", "Description"}},
         .Lookup = {},
         .Keys = {{"MA001", Match::Exact}},
         .LookupKeys = {},
         .CompanyColumn = "MA001",
         .OrderBy = "MA001"},
        {.Table = "TAXMA",
         .Key = "01",
         .Meaning = "company by ID",
         .TitleSimplified = "公司信息查询",
         .TitleTraditional = "公司資訊查詢",
         .TitleEnglish = "Companies",
         .From = "TAXMA",
         .Where = nullptr,
         .Row = {{"MA001", "公司编号", "公司編號", "Company"},
                 {"MA002", "公司名称", "公司名稱", "Name"},
                 {"MA003", "简称", "簡稱", "Short name"},
                 {"MA004", "统一编号", "統一編號", "Tax ID"},
                 {"MA005", "地址", "地址", "Address"},
                 {"MA006", "电话", "電話", "Phone"},
                 {"MA007", "英文名称", "英文名稱", "English name"}},
         .Lookup = {},
         .Keys = {{"MA001", Match::Exact}},
         .LookupKeys = {},
         .CompanyColumn = "MA001",
         .OrderBy = "MA001"},
        {.Table = "CMSME",
         .Key = "01",
         .Meaning = "department by ID",
         .TitleSimplified = "部门信息查询",
         .TitleTraditional = "部門資訊查詢",
         .TitleEnglish = "Departments",
         .From = "CMSME",
         .Where = nullptr,
         .Row = {{"ME001", "部门编号", "部門編號", "Department"},
                 {"ME002", "部门名称", "部門名稱", "Name"},
                 {"ME003", "公司编号", "公司編號", "Company"},
                 {"ME004", "主管", "主管", "Head"},
                 {"ME005", "英文名称", "英文名稱", "English name"}},
         .Lookup = {},
         .Keys = {{"ME001", Match::Exact}},
         .LookupKeys = {{"ME003", Match::Exact}},
         .CompanyColumn = "ME003",
         .OrderBy = "ME001"},
        {.Table = "CMSMV",
         .Key = "01",
         .Meaning = "employee by ID",
         .TitleSimplified = "员工信息查询",
         .TitleTraditional = "員工資訊查詢",
         .TitleEnglish = "Employees",
         .From = "CMSMV",
         .Where = nullptr,
         .Row = {{"MV001", "员工编号", "員工編號", "Employee"},
                 {"MV002", "姓名", "姓名", "Name"},
                 {"MV004", "部门编号", "部門編號", "Department"},
                 {"MV003", "公司编号", "公司編號", "Company"},
                 {"MV005", "职称", "職稱", "Title"},
                 {"MV006", "到职日期", "到職日期", "Hired"},
                 {"MV009", "英文姓名", "英文姓名", "English name"}},
         .Lookup = {},
         .Keys = {{"MV001", Match::Exact}},
         .LookupKeys = {{"MV003", Match::Exact}, {"MV004", Match::Exact}},
         .CompanyColumn = "MV003",
         .OrderBy = "MV001"},
        {.Table = "KVNMA",
         .Key = "04",
         .Meaning = "system user by ID, with mobile and mail",
         .TitleSimplified = "系统用户查询",
         .TitleTraditional = "系統用戶查詢",
         .TitleEnglish = "System users",
         .From = "KVNMA",
         .Where = nullptr,
         .Row = {{"MA001", "用户代号", "用戶代號", "User"},
                 {"MA002", "用户名称", "用戶名稱", "Name"},
                 {"MA003", "手机号码", "手機號碼", "Mobile"},
                 {"MA004", "邮箱地址", "郵箱地址", "Mail"},
                 {"MA005", "公司编号", "公司編號", "Company"},
                 {"MA006", "英文名称", "英文名稱", "English name"}},
         .Lookup = {},
         .Keys = {{"MA001", Match::Exact}},
         .LookupKeys = {{"MA005", Match::Exact}},
         .CompanyColumn = nullptr,
         .OrderBy = "MA001"},
    };
    return defs;
}

// Qt binds a null QString as SQL NULL; an empty text must stay an empty text.
QString NonNull(QString s) { return s.isNull() ? QStringLiteral("") : s; }

QVariant BindValue(const Variant& param, Match how) {
    if (how != Match::Bytes) return NonNull(TextOf(param));
    const std::string raw = param.IsText() ? param.ToString() : TextOf(param).toStdString();
    return QByteArray(raw.data(), static_cast<qsizetype>(raw.size()));
}

QString Condition(const TKeyColumn& key, const QString& mark) {
    const QString expr = QString::fromUtf8(key.Expr);
    switch (key.How) {
    case Match::NoCase: return QStringLiteral("UPPER(%1) = UPPER(%2)").arg(expr, mark);
    case Match::Bytes: return QStringLiteral("CAST(%1 AS BLOB) = %2").arg(expr, mark);
    default: return QStringLiteral("%1 = %2").arg(expr, mark);
    }
}

// A query under construction: conditions and their bound values kept together.
class TSelect {
public:
    TSelect(const TTableKey& def, const std::vector<TColumn>& columns) : def_(def) {
        for (const TColumn& c : columns) columns_ << QString::fromUtf8(c.Expr);
        if (def.Where) conditions_ << QString::fromUtf8(def.Where);
    }
    void AddKey(const TKeyColumn& key, const Variant& value) {
        const QString mark = QStringLiteral(":k%1").arg(values_.size());
        conditions_ << Condition(key, mark);
        values_.emplace_back(mark, BindValue(value, key.How));
    }
    void AddLimit(const TCompanyLimit& limit) {
        if (!limit.Active || !def_.CompanyColumn) return;
        QStringList marks;
        for (const QString& company : limit.Companies) {
            const QString mark = QStringLiteral(":c%1").arg(values_.size());
            marks << mark;
            values_.emplace_back(mark, company);
        }
        // Rows that belong to no company (a database-wide setting) stay visible.
        const QString column = QString::fromUtf8(def_.CompanyColumn);
        conditions_ << (marks.isEmpty() ? QStringLiteral("%1 = ''").arg(column)
                                        : QStringLiteral("(%1 = '' OR %1 IN (%2))").arg(column, marks.join(',')));
    }
    QSqlQuery Run(QSqlDatabase& db, bool firstOnly) const {
        QString sql = QStringLiteral("SELECT %1 FROM %2").arg(columns_.join(QStringLiteral(", ")),
                                                             QString::fromUtf8(def_.From));
        if (!conditions_.isEmpty()) sql += QStringLiteral(" WHERE ") + conditions_.join(QStringLiteral(" AND "));
        sql += QStringLiteral(" ORDER BY ") + QString::fromUtf8(def_.OrderBy);
        if (firstOnly) sql += QStringLiteral(" LIMIT 1");
        QSqlQuery q(db);
        q.setForwardOnly(true);
        PrepareOrThrow(q, sql);
        for (const auto& [mark, value] : values_) q.bindValue(mark, value);
        ExecOrThrow(q);
        return q;
    }

private:
    const TTableKey& def_;
    QStringList columns_;
    QStringList conditions_;
    std::vector<std::pair<QString, QVariant>> values_;
};

std::vector<Variant> RowOf(const QSqlQuery& q) {
    std::vector<Variant> row;
    const int n = q.record().count();
    for (int i = 0; i < n; ++i) row.push_back(FromSql(q.value(i)));
    return row;
}

// Runs `use` on the connection of the table's store. A scheme store that does not
// exist yet holds no schemes: `use` is not called.
template <class F>
void WithStore(TWorkCenterContext& context, const TTableKey& def, F use) {
    if (def.Source == Store::SampleCompany) {
        use(context.Database().Connection());
        return;
    }
    if (!QFileInfo::exists(context.SchemeStorePath())) return;
    TReadOnlyConnection store(context.SchemeStorePath());
    use(store.Db());
}

const std::vector<TColumn>& LookupColumns(const TTableKey& def) { return def.Lookup.empty() ? def.Row : def.Lookup; }

}  // namespace

const TTableKey* FindTableKey(const QString& table, const QString& key) {
    const QString t = table.trimmed();
    const QString k = key.trimmed();
    for (const TTableKey& def : Catalogue()) {
        if (t.compare(QLatin1String(def.Table), Qt::CaseInsensitive) == 0 &&
            k.compare(QLatin1String(def.Key), Qt::CaseInsensitive) == 0)
            return &def;
    }
    return nullptr;
}

std::optional<TCompanyLimit> ParseBaseLimited(const QString& text) {
    if (text.isEmpty()) return TCompanyLimit{};
    const QStringList parts = text.split(QChar(0x03));
    bool ok = false;
    const int count = parts.size() >= 3 ? parts[1].trimmed().toInt(&ok) : -1;
    if (!ok || count < 0 || parts.size() != count + 3 || !parts.last().isEmpty()) return std::nullopt;
    TCompanyLimit limit;
    limit.Active = count > 0;
    for (int i = 0; i < count; ++i) limit.Companies << parts[i + 2].trimmed();
    return limit;
}

std::optional<std::vector<Variant>> QueryRow(TWorkCenterContext& context, const TTableKey& def,
                                             const std::vector<Variant>& params, const TCompanyLimit& limit) {
    if (params.size() < def.Keys.size())
        throw EOleError(std::string(def.Table) + " " + def.Key + " (" + def.Meaning + ") needs " +
                        std::to_string(def.Keys.size()) + " parameters, not " + std::to_string(params.size()));
    std::optional<std::vector<Variant>> found;
    WithStore(context, def, [&](QSqlDatabase& db) {
        TSelect select(def, def.Row);
        for (std::size_t i = 0; i < def.Keys.size(); ++i) select.AddKey(def.Keys[i], params[i]);
        select.AddLimit(limit);
        QSqlQuery q = select.Run(db, true);
        if (q.next()) found = RowOf(q);
    });
    return found;
}

TRowSet LookupRows(TWorkCenterContext& context, const TTableKey& def, const std::vector<Variant>& params,
                   const QString& filter, const TCompanyLimit& limit, Language language) {
    TRowSet set;
    for (const TColumn& c : LookupColumns(def)) set.Headers << Pick(language, c.Simplified, c.Traditional, c.English);
    WithStore(context, def, [&](QSqlDatabase& db) {
        TSelect select(def, LookupColumns(def));
        for (std::size_t i = 0; i < def.LookupKeys.size() && i < params.size(); ++i) {
            if (!TextOf(params[i]).trimmed().isEmpty()) select.AddKey(def.LookupKeys[i], params[i]);
        }
        select.AddLimit(limit);
        QSqlQuery q = select.Run(db, false);
        while (q.next()) {
            std::vector<Variant> row = RowOf(q);
            if (RowMatchesFilter(row, filter)) set.Rows.push_back(std::move(row));
        }
    });
    return set;
}

bool RowMatchesFilter(const std::vector<Variant>& row, const QString& filter) {
    const QString f = filter.trimmed();
    if (f.isEmpty()) return true;
    for (const Variant& v : row) {
        if (v.IsArray() || v.Type() == VarType::Dispatch) continue;
        if (TextOf(v).contains(f, Qt::CaseInsensitive)) return true;
    }
    return false;
}

std::vector<std::pair<QString, QString>> SystemSettings(TWorkCenterContext& context, const QString& companyId) {
    QSqlQuery q(context.Database().Connection());
    q.setForwardOnly(true);
    PrepareOrThrow(q, QStringLiteral("SELECT SY001, SY002, SY003 FROM KVNSYS WHERE SY001 = '' OR SY001 = :company"
                                     " ORDER BY UPPER(SY002), SY001"));
    q.bindValue(QStringLiteral(":company"), NonNull(companyId.trimmed()));
    ExecOrThrow(q);
    std::vector<std::pair<QString, QString>> settings;
    std::map<QString, std::size_t> byName;  // upper-case name -> index
    while (q.next()) {
        const QString name = q.value(1).toString();
        const QString value = NonNull(q.value(2).toString());
        const auto it = byName.find(name.toUpper());
        if (it == byName.end()) {
            byName.emplace(name.toUpper(), settings.size());
            settings.emplace_back(name, value);
        } else if (!q.value(0).toString().isEmpty()) {
            settings[it->second].second = value;  // the company's own value wins
        }
    }
    return settings;
}

QStringList Phrases(TWorkCenterContext& context, const QString& userId) {
    QSqlQuery q(context.Database().Connection());
    q.setForwardOnly(true);
    PrepareOrThrow(q, QStringLiteral("SELECT PH003 FROM KVNPH WHERE PH001 = :user OR PH001 = ''"
                                     " ORDER BY CASE WHEN PH001 = '' THEN 1 ELSE 0 END, PH002"));
    q.bindValue(QStringLiteral(":user"), NonNull(userId.trimmed()));
    ExecOrThrow(q);
    QStringList phrases;
    while (q.next()) phrases << q.value(0).toString();
    return phrases;
}

}  // namespace kv::workcenter
