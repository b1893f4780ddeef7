#include "WorkCenterText.h"

#include <QByteArray>
#include <QStringDecoder>

#include <limits>

namespace kv::workcenter {

QString TextOf(const Variant& v) {
    switch (v.Type()) {
    case VarType::Empty:
    case VarType::Null: return QStringLiteral("");
    case VarType::Bytes: {
        const std::string& raw = v.ToString();
        const QByteArray bytes(raw.data(), static_cast<qsizetype>(raw.size()));
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString asUtf8 = utf8(bytes);
        if (!utf8.hasError()) return asUtf8;
        QStringDecoder gb("GB18030");
        if (gb.isValid()) return gb(bytes);
        return QString::fromLatin1(bytes);
    }
    case VarType::Array:
    case VarType::Dispatch: throw EOleError("a text was expected, not " + DebugString(v));
    default: return QString::fromStdString(v.ToString());
    }
}

Variant VariantOf(const QString& s) { return Variant(s.toStdString()); }

Variant FromSql(const QVariant& v) {
    if (v.isNull()) return Variant::Null();
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qlonglong n = v.toLongLong();
        if (n >= std::numeric_limits<std::int32_t>::min() && n <= std::numeric_limits<std::int32_t>::max())
            return Variant(static_cast<std::int32_t>(n));
        return Variant(static_cast<double>(n));
    }
    case QMetaType::Double: return Variant(v.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray raw = v.toByteArray();
        return Variant::Bytes(std::string(raw.constData(), static_cast<std::size_t>(raw.size())));
    }
    default: return VariantOf(v.toString());
    }
}

bool FlagOf(const Variant& v) {
    switch (v.Type()) {
    case VarType::Bool: return v.ToBool();
    case VarType::Int:
    case VarType::Double: return v.ToDouble() != 0;
    case VarType::String:
    case VarType::Bytes: {
        const QString t = TextOf(v).trimmed().toUpper();
        return t == QLatin1String("Y") || t == QLatin1String("T") || t == QLatin1String("TRUE") ||
               t == QLatin1String("YES") || (!t.isEmpty() && t.toInt() != 0);
    }
    default: return false;
    }
}

std::vector<Variant> ParamList(const Variant& params, const std::string& what) {
    if (params.IsEmpty() || params.IsNull()) return {};
    if (!params.IsArray()) return {params};
    if (params.DimCount() != 1) throw EOleError(what + ": the parameters must be a one-dimensional array");
    std::vector<Variant> out;
    for (const Variant& p : params.Elements()) {
        if (p.IsArray() || p.Type() == VarType::Dispatch)
            throw EOleError(what + ": a parameter must be a single value, not " + DebugString(p));
        out.push_back(p);
    }
    return out;
}

const Variant& Item(const Variant& array, int i) {
    static const Variant empty;
    if (!array.IsArray() || array.DimCount() != 1) return empty;
    const int index = array.LowBound() + i;
    if (i < 0 || index > array.HighBound()) return empty;
    return array[index];
}

int ItemCount(const Variant& array) {
    return array.IsArray() && array.DimCount() == 1 ? static_cast<int>(array.ElementCount()) : 0;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool IsPropertyRead(InvokeKind kind, const std::vector<Variant>& args) {
    return (kind == InvokeKind::Get || kind == InvokeKind::Method) && args.empty();
}

bool IsPropertyWrite(InvokeKind kind, const std::vector<Variant>& args) {
    return kind == InvokeKind::Put && args.size() == 1;
}

void RequireArgs(const std::string& member, InvokeKind kind, const std::vector<Variant>& args, std::size_t least,
                 std::size_t most) {
    if (kind == InvokeKind::Put) throw EOleError(member + " is a method, not a writable property");
    if (args.size() < least || args.size() > most)
        throw EOleError(member + " takes " + std::to_string(least) +
                        (most != least ? " to " + std::to_string(most) : std::string()) + " arguments, not " +
                        std::to_string(args.size()));
}

void NoSuchMember(const std::string& object, const std::string& member) {
    throw EOleError(object + " has no member \"" + member + "\" (or not with these arguments)");
}

std::string Utf8(const QString& s) { return s.toStdString(); }

}  // namespace kv::workcenter
