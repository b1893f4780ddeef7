#include "HostRequest.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QJsonValue>

#include <cmath>
#include <limits>
#include <vector>

namespace kv::host {

namespace {

// Deeper nesting than any request has is refused rather than recursed into.
constexpr int kMaxDepth = 32;

Variant NumberVariant(double d) {
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    if (std::trunc(d) == d && d >= kMin && d <= kMax) return Variant(static_cast<std::int32_t>(d));
    return Variant(d);
}

std::optional<Variant> FromJsonValue(const QJsonValue& v, int depth, QString* error) {
    switch (v.type()) {
    case QJsonValue::Null: return Variant::Null();
    case QJsonValue::Bool: return Variant(v.toBool());
    case QJsonValue::Double: return NumberVariant(v.toDouble());
    case QJsonValue::String: return Variant(v.toString().toStdString());
    case QJsonValue::Array: {
        if (depth >= kMaxDepth) {
            *error = QStringLiteral("arrays nested deeper than %1").arg(kMaxDepth);
            return std::nullopt;
        }
        std::vector<Variant> items;
        for (const QJsonValue& item : v.toArray()) {
            std::optional<Variant> element = FromJsonValue(item, depth + 1, error);
            if (!element) return std::nullopt;
            items.push_back(std::move(*element));
        }
        return Variant::ArrayOf(std::move(items));
    }
    case QJsonValue::Object: *error = QStringLiteral("a JSON object has no Variant form; use arrays"); return std::nullopt;
    default: *error = QStringLiteral("a value of unknown type"); return std::nullopt;
    }
}

bool IsRequestShape(const Variant& v) { return v.IsArray() && v.ElementCount() == 2 && v[1].IsArray(); }

Variant ModeOnlyRequest(int mode) {
    const Variant nothing = Variant::ArrayOf({Variant::ArrayOf(std::vector<Variant>{}),
                                              Variant::ArrayOf(std::vector<Variant>{})});
    return Variant::ArrayOf({Variant(static_cast<std::int32_t>(mode)), Variant::ArrayOf({Variant(true), nothing})});
}

}  // namespace

std::optional<Variant> VariantFromJson(const QByteArray& json, QString* error) {
    // A top-level scalar is valid JSON too; wrapping it lets one parser take both.
    QJsonParseError parseError{};
    const QJsonDocument doc = QJsonDocument::fromJson("[" + json + "]", &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isArray() || doc.array().size() != 1) {
        *error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                             : QStringLiteral("not a single JSON value");
        return std::nullopt;
    }
    return FromJsonValue(doc.array().first(), 0, error);
}

std::optional<Variant> BuildHostRequest(const QString& file, std::optional<int> mode, QString* error) {
    error->clear();
    if (file.isEmpty()) {
        if (!mode) return std::nullopt;
        return ModeOnlyRequest(*mode);
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the request %1: %2").arg(file, f.errorString());
        return std::nullopt;
    }
    std::optional<Variant> request = VariantFromJson(f.readAll(), error);
    if (!request) {
        *error = QStringLiteral("the request %1 is not usable: %2").arg(file, *error);
        return std::nullopt;
    }
    if (!IsRequestShape(*request)) {
        *error = QStringLiteral("the request %1 is not [Mode, [IsScheme, values]]").arg(file);
        return std::nullopt;
    }
    if (mode) (*request)[0] = Variant(static_cast<std::int32_t>(*mode));
    return request;
}

Variant ApplyRequestParams(const Variant& request) { return Variant::ArrayOf({Variant(), request}); }

}  // namespace kv::host
