#include "WorkCenterServices.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include "LookupDialogs.h"
#include "MessageCatalogue.h"
#include "SimpleSql.h"
#include "WorkCenterText.h"

namespace kv::workcenter {
namespace {

// Any failure inside a member reaches the caller as EOleError naming the member.
template <class F>
Variant Guarded(const std::string& member, F body) {
    try {
        return body();
    } catch (const EOleError&) {
        throw;
    } catch (const std::exception& e) {
        throw EOleError(member + ": " + e.what());
    }
}

// Dialogs need a widget application; a host with only a core application gets an
// error instead of a crash.
QWidget* DialogParent(const char* member) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw EOleError(std::string(member) + " needs a QApplication to show its dialog");
    return QApplication::activeWindow();
}

// A name that may become part of a file path: letters, digits, "_", "-" and ".",
// not "." or ".." and no folder.
bool IsPlainName(const QString& name, bool dots) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    for (const QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_' || c == u'-' || (dots && c == u'.'))) return false;
    return true;
}

}  // namespace

// ---- counter --------------------------------------------------------------------------

Variant TCounterService::Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) {
    return Guarded(member, [&]() -> Variant {
        if (SameName(member, "GetSysInfo")) {
            RequireArgs(member, kind, args, 1, 1);
            return GetSysInfo(args[0]);
        }
        if (SameName(member, "GetCounter")) {
            RequireArgs(member, kind, args, 2, 3);
            return GetCounter(args[0], args[1]);
        }
        NoSuchMember("the counter service", member);
    });
}

Variant TCounterService::GetSysInfo(const Variant& companyId) {
    const auto settings = SystemSettings(*context_, TextOf(companyId));
    const int n = static_cast<int>(settings.size());
    Variant answer = Variant::Array2(0, 1, 0, n - 1);
    for (int i = 0; i < n; ++i) {
        answer.At(0, i) = VariantOf(settings[static_cast<std::size_t>(i)].first);
        answer.At(1, i) = VariantOf(settings[static_cast<std::size_t>(i)].second);
    }
    return answer;
}

Variant TCounterService::GetCounter(const Variant& operation, const Variant& argument) {
    const QString op = TextOf(operation).trimmed();
    if (op.compare(QLatin1String("SIMPLESQL"), Qt::CaseInsensitive) != 0)
        throw EOleError("GetCounter: unknown operation \"" + Utf8(op) + "\" (this host counts only SIMPLESQL)");
    QString sql;
    QString column;
    if (argument.IsArray()) {
        sql = TextOf(Item(argument, 0));
        column = TextOf(Item(argument, 1));
    } else {
        sql = TextOf(argument);
    }
    return RunSimpleSql(context_->Database().Path(), sql, column);
}

// ---- validator ------------------------------------------------------------------------

Variant TValidatorService::Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) {
    return Guarded(member, [&]() -> Variant {
        if (SameName(member, "ProductID")) {
            if (IsPropertyRead(kind, args)) return Variant(productId_);
            if (IsPropertyWrite(kind, args)) {
                productId_ = args[0].ToInt();
                return Variant();
            }
        } else if (SameName(member, "BaseLimited")) {
            if (IsPropertyRead(kind, args)) return Variant(baseLimitedText_);
            if (IsPropertyWrite(kind, args)) {
                SetBaseLimited(args[0]);
                return Variant();
            }
        } else if (SameName(member, "CheckValue") || SameName(member, "QueryData")) {
            // Both answer whether the row exists and hand it back through the var
            // parameter Row; the dialog uses CheckValue for a plain existence check.
            RequireArgs(member, kind, args, 5, 5);
            return Variant(QueryData(args[0], args[1], args[3], args[4]));
        }
        NoSuchMember("the validator service", member);
    });
}

void TValidatorService::SetBaseLimited(const Variant& value) {
    const QString text = TextOf(value);
    const std::optional<TCompanyLimit> limit = ParseBaseLimited(text);
    if (!limit) throw EOleError("BaseLimited: not a counted list (prefix, count, items, each ended by 0x03)");
    limit_ = *limit;
    baseLimitedText_ = Utf8(text);
}

bool TValidatorService::QueryData(const Variant& table, const Variant& key, const Variant& params, Variant& row) {
    row = Variant();
    const TTableKey* def = FindTableKey(TextOf(table), TextOf(key));
    if (!def) throw EOleError("the validator has no table \"" + Utf8(TextOf(table)) + "\" with key \"" +
                              Utf8(TextOf(key)) + "\"");
    const std::optional<std::vector<Variant>> found =
        QueryRow(*context_, *def, ParamList(params, std::string(def->Table) + " " + def->Key), limit_);
    if (!found) return false;
    row = Variant::ArrayOf(*found);
    return true;
}

// ---- lookup window --------------------------------------------------------------------

Variant TF2WindowService::Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) {
    return Guarded(member, [&]() -> Variant {
        if (SameName(member, "F2GetData")) {
            RequireArgs(member, kind, args, 1, 1);
            return F2GetData(args[0]);
        }
        if (SameName(member, "ShowInputDay")) {
            RequireArgs(member, kind, args, 1, 1);
            return ShowInputDay(args[0]);
        }
        if (SameName(member, "GetPhrase")) {
            RequireArgs(member, kind, args, 1, 3);
            return GetPhrase(args[0]);
        }
        NoSuchMember("the lookup-window service", member);
    });
}

Variant TF2WindowService::F2GetData(const Variant& request) {
    // [0] table, [1] key, [2] parameters, [3] several, [4] filter text, [5] CompanyID,
    // [6] DbName, [7] window, [8] 1, [9] False, [10] ProductID, [11..13] "",
    // [14] BaseLimited, [15] and [16] rights flags, [17] host object, [18] UserID.
    if (!request.IsArray() || request.DimCount() != 1 || ItemCount(request) < 17)
        throw EOleError("F2GetData expects an array of 19 elements (17 in edition 7)");
    const QString table = TextOf(Item(request, 0));
    const QString key = TextOf(Item(request, 1));
    const TTableKey* def = FindTableKey(table, key);
    if (!def) throw EOleError("the lookup window has no table \"" + Utf8(table) + "\" with key \"" + Utf8(key) + "\"");
    const std::optional<TCompanyLimit> limit = ParseBaseLimited(TextOf(Item(request, 14)));
    if (!limit) throw EOleError("F2GetData: element 14 (BaseLimited) is not a counted list");
    const bool multiple = FlagOf(Item(request, 3));
    const Language language = context_->CurrentLanguage();

    TRowSet rows = LookupRows(*context_, *def, ParamList(Item(request, 2), "F2GetData"), QString(), *limit, language);
    TLookupDialog dialog(Pick(language, def->TitleSimplified, def->TitleTraditional, def->TitleEnglish),
                         std::move(rows), multiple, TextOf(Item(request, 4)), language, DialogParent("F2GetData"));
    if (context_->RunModal(dialog) != QDialog::Accepted) return Variant();
    std::vector<Variant> picked;
    for (int r : dialog.ChosenRows()) picked.push_back(Variant::ArrayOf(dialog.Rows()[static_cast<std::size_t>(r)]));
    if (picked.empty()) return Variant();
    return Variant::ArrayOf(std::move(picked));
}

Variant TF2WindowService::ShowInputDay(const Variant& request) {
    if (!request.IsArray() || request.DimCount() != 1 || ItemCount(request) < 2)
        throw EOleError("ShowInputDay expects an array [Minguo flag, YYYYMMDD, DbName]");
    const bool minguo = FlagOf(Item(request, 0));
    const QString text = TextOf(Item(request, 1)).trimmed();
    QDate start = QDate::fromString(text, QStringLiteral("yyyyMMdd"));
    if (text.size() != 8 || !start.isValid()) start = QDate::currentDate();
    TCalendarDialog dialog(start, minguo, context_->CurrentLanguage(), DialogParent("ShowInputDay"));
    if (context_->RunModal(dialog) != QDialog::Accepted) return Variant("");
    return VariantOf(dialog.SelectedDate().toString(QStringLiteral("yyyyMMdd")));
}

Variant TF2WindowService::GetPhrase(const Variant& userId) {
    const QStringList phrases = Phrases(*context_, TextOf(userId));
    if (phrases.isEmpty()) return Variant("");
    TPhraseDialog dialog(phrases, context_->CurrentLanguage(), DialogParent("GetPhrase"));
    if (context_->RunModal(dialog) != QDialog::Accepted) return Variant("");
    return VariantOf(dialog.ChosenPhrase());
}

// ---- the work-center object -----------------------------------------------------------

TWorkCenterManager::TWorkCenterManager(ContextPtr context)
    : context_(std::move(context)),
      counter_(std::make_shared<TCounterService>(context_)),
      validator_(std::make_shared<TValidatorService>(context_)),
      f2Window_(std::make_shared<TF2WindowService>(context_)) {}

Variant TWorkCenterManager::Invoke(const std::string& member, InvokeKind kind, std::vector<Variant>& args) {
    return Guarded(member, [&]() -> Variant {
        if (IsPropertyRead(kind, args)) {
            if (SameName(member, "VersionType")) return Variant(context_->VersionType());
            if (SameName(member, "ProductID")) return Variant(context_->ProductID());
            if (SameName(member, "Language")) return Variant(LanguageCode(context_->CurrentLanguage()));
            if (SameName(member, "Com_Counter")) return counter_;
            if (SameName(member, "Com_Validator")) return validator_;
            if (SameName(member, "Com_F2Window")) return f2Window_;
        }
        if (SameName(member, "Language") && IsPropertyWrite(kind, args)) {
            const std::optional<Language> language = ParseLanguage(Utf8(TextOf(args[0])));
            if (!language) throw EOleError("Language must be 936, 950, 437, chs, cht or eng");
            context_->SetLanguage(*language);
            return Variant();
        }
        if (SameName(member, "GetMessage")) {
            RequireArgs(member, kind, args, 2, 2);
            return GetMessage(args[0], args[1]);
        }
        if (SameName(member, "CallHelp")) {
            RequireArgs(member, kind, args, 1, 1);
            return CallHelp(args[0]);
        }
        if (SameName(member, "GetFileList")) {
            RequireArgs(member, kind, args, 1, 1);
            return GetFileList(args[0]);
        }
        NoSuchMember(kWorkCenterProgId, member);
    });
}

Variant TWorkCenterManager::GetMessage(const Variant& kind, const Variant& id) const {
    QString idText = TextOf(id);
    if (id.Type() == VarType::Int) idText = QString::number(id.ToInt());
    return VariantOf(MessageText(context_->CurrentLanguage(), TextOf(kind), idText));
}

Variant TWorkCenterManager::CallHelp(const Variant& request) const {
    const QString prefix = TextOf(Item(request, 0)).trimmed();
    const QString topic = TextOf(Item(request, 1)).trimmed();
    if (!request.IsArray() || !IsPlainName(prefix, false) || !IsPlainName(topic, false))
        throw EOleError("CallHelp expects an array [program prefix, help topic] of letters and digits");
    const QString base = context_->HelpFolder();
    for (const QString& folder : {base + u'/' + prefix, base + u'/' + prefix.toUpper(), base + u'/' + prefix.toLower(),
                                  base}) {
        for (const char* ext : {".html", ".htm"}) {
            const QFileInfo page(folder + u'/' + topic + QLatin1String(ext));
            if (page.isFile())
                return Variant(context_->OpenUrl(Utf8(QUrl::fromLocalFile(page.absoluteFilePath()).toString())));
        }
    }
    return Variant(false);
}

Variant TWorkCenterManager::GetFileList(const Variant& request) const {
    const QString name = TextOf(request.IsArray() ? Item(request, 0) : request).trimmed();
    if (!IsPlainName(name, true)) throw EOleError("GetFileList expects [a module's file name] without a folder");
    if (context_->UpdateFolder().isEmpty()) return Variant("");
    const QFileInfo central(QDir(context_->UpdateFolder()).filePath(name + QStringLiteral(".zip")));
    if (!central.isFile()) return Variant("");
    const QString stamp = central.lastModified().toUTC().toString(QStringLiteral("yyyy-MM-ddThh:mm:ssZ"));
    return VariantOf(QStringLiteral("<Modify>%1</Modify><Path>%2</Path>").arg(stamp, central.absoluteFilePath()));
}

}  // namespace kv::workcenter
