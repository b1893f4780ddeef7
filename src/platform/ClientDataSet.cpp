#include "platform/ClientDataSet.h"

#include <QStringList>

#include "kv/Automation.h"
#include "platform/SocketConnection.h"

namespace kv {
namespace {

constexpr const char* kProviderRowsMember = "GetProviderRows";

// Text compares by its bytes whatever its kind, so a key typed as String finds a
// value stored as Bytes with the same bytes.
bool SameValue(const Variant& a, const Variant& b) {
    if (a.IsText() && b.IsText()) return a.ToString() == b.ToString();
    return a == b;
}

}  // namespace

TClientDataSet::TClientDataSet(QObject* owner) : QObject(owner) {}

void TClientDataSet::SetActive(bool value) {
    if (value == active_) return;
    if (value) Open();
    else Close();
}

void TClientDataSet::Open() {
    if (providerName_.isEmpty()) throw EDatabaseError("the data set has no provider name");
    Variant server = appServer_;
    if (server.IsEmpty() && remoteServer_) server = remoteServer_->AppServer();
    if (server.Type() != VarType::Dispatch) throw EDatabaseError("the data set has no application server");
    std::vector<Variant> args{Variant(providerName_.toStdString())};
    LoadRows(server.CallArgs(kProviderRowsMember, args));
}

void TClientDataSet::Close() {
    active_ = false;
    fields_.clear();
    rows_.clear();
    current_ = 0;
    eof_ = bof_ = true;
}

void TClientDataSet::LoadRows(const Variant& rows) {
    if (!rows.IsArray() || rows.DimCount() != 2)
        throw EDatabaseError("the provider's answer is not a two-dimensional array");
    const int firstRow = rows.LowBound(1);
    const int lastRow = rows.HighBound(1);
    const int firstField = rows.LowBound(2);
    const int lastField = rows.HighBound(2);
    if (lastRow < firstRow) throw EDatabaseError("the provider's answer has no row of field names");
    std::vector<std::string> fields;
    for (int f = firstField; f <= lastField; ++f) {
        const Variant& name = rows.At(firstRow, f);
        if (!name.IsText() || name.ToString().empty()) throw EDatabaseError("the provider's answer has a field without a name");
        fields.push_back(name.ToString());
    }
    std::vector<std::vector<Variant>> records;
    records.reserve(static_cast<std::size_t>(lastRow - firstRow));
    for (int r = firstRow + 1; r <= lastRow; ++r) {
        std::vector<Variant> record;
        record.reserve(fields.size());
        for (int f = firstField; f <= lastField; ++f) record.push_back(rows.At(r, f));
        records.push_back(std::move(record));
    }
    fields_ = std::move(fields);
    rows_ = std::move(records);
    active_ = true;
    First();
}

void TClientDataSet::CheckActive() const {
    if (!active_) throw EDatabaseError("the data set is closed");
}

void TClientDataSet::First() {
    CheckActive();
    current_ = 0;
    bof_ = true;
    eof_ = rows_.empty();
}

void TClientDataSet::Last() {
    CheckActive();
    current_ = rows_.empty() ? 0 : static_cast<int>(rows_.size()) - 1;
    eof_ = true;
    bof_ = rows_.empty();
}

void TClientDataSet::Next() {
    CheckActive();
    if (current_ + 1 < static_cast<int>(rows_.size())) {
        ++current_;
        bof_ = false;
    } else {
        eof_ = true;
    }
}

void TClientDataSet::Prior() {
    CheckActive();
    if (current_ > 0) {
        --current_;
        eof_ = false;
    } else {
        bof_ = true;
    }
}

int TClientDataSet::FieldIndex(const std::string& name) const {
    const QString wanted = QString::fromStdString(name);
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (QString::fromStdString(fields_[i]).compare(wanted, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
    return -1;
}

int TClientDataSet::RequireField(const std::string& name) const {
    CheckActive();
    const int index = FieldIndex(name);
    if (index < 0) throw EDatabaseError("field '" + name + "' not found");
    return index;
}

Variant TClientDataSet::FieldByName(const std::string& name) const {
    const int index = RequireField(name);
    if (rows_.empty()) return Variant();
    return rows_[static_cast<std::size_t>(current_)][static_cast<std::size_t>(index)];
}

void TClientDataSet::SetFieldValue(const std::string& name, const Variant& value) {
    const int index = RequireField(name);
    if (rows_.empty()) throw EDatabaseError("the data set has no record to change");
    rows_[static_cast<std::size_t>(current_)][static_cast<std::size_t>(index)] = value;
}

std::vector<int> TClientDataSet::FieldList(const std::string& names) const {
    std::vector<int> fields;
    const QStringList parts = QString::fromStdString(names).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& part : parts) fields.push_back(RequireField(part.trimmed().toStdString()));
    return fields;
}

bool TClientDataSet::MoveToMatch(const std::vector<int>& fields, const std::vector<Variant>& values) {
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        bool match = true;
        for (std::size_t k = 0; k < values.size() && match; ++k)
            match = SameValue(rows_[r][static_cast<std::size_t>(fields[k])], values[k]);
        if (match) {
            current_ = static_cast<int>(r);
            bof_ = eof_ = false;
            return true;
        }
    }
    return false;
}

bool TClientDataSet::FindKey(const std::vector<Variant>& keys) {
    CheckActive();
    const std::vector<int> fields = FieldList(indexFieldNames_.toStdString());
    if (fields.empty()) throw EDatabaseError("the data set has no index fields");
    if (keys.empty() || keys.size() > fields.size())
        throw EDatabaseError("FindKey needs between 1 and " + std::to_string(fields.size()) + " key values");
    return MoveToMatch(fields, keys);
}

bool TClientDataSet::Locate(const std::string& fieldNames, const std::vector<Variant>& values) {
    CheckActive();
    const std::vector<int> fields = FieldList(fieldNames);
    if (fields.empty() || fields.size() != values.size())
        throw EDatabaseError("Locate needs one value for each field named");
    return MoveToMatch(fields, values);
}

}  // namespace kv
