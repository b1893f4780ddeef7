// TClientDataSet: a small read-mostly data set over the rows of an application
// server's provider. Open asks the server object for "GetProviderRows"(ProviderName)
// and keeps the answer: a 2-D array [0..n, 0..f-1] whose row 0 holds the field
// names. The server object is the one given with SetAppServer, else the
// RemoteServer connection's AppServer (in process or over TCP alike).
//
// Navigation as in the classic data sets: First, Next, Prior, Last, Eof, Bof,
// RecordCount, RecNo (from 1). FindKey searches on IndexFieldNames ("A;B;C"),
// Locate on any fields. SetFieldValue changes the current row here only; the
// server's tables are changed through the server's own members.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

#include "kv/Variant.h"

namespace kv {

class TSocketConnection;

// A missing field, no server, a provider answer of the wrong shape.
class EDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TClientDataSet : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString ProviderName READ ProviderName WRITE SetProviderName)
    Q_PROPERTY(QString IndexFieldNames READ IndexFieldNames WRITE SetIndexFieldNames)
    Q_PROPERTY(bool Active READ Active WRITE SetActive)

public:
    explicit TClientDataSet(QObject* owner = nullptr);

    QString ProviderName() const { return providerName_; }
    void SetProviderName(const QString& name) { providerName_ = name; }
    QString IndexFieldNames() const { return indexFieldNames_; }
    void SetIndexFieldNames(const QString& names) { indexFieldNames_ = names; }
    TSocketConnection* RemoteServer() const { return remoteServer_; }
    void SetRemoteServer(TSocketConnection* connection) { remoteServer_ = connection; }
    void SetAppServer(const Variant& server) { appServer_ = server; }

    bool Active() const noexcept { return active_; }
    void SetActive(bool value);
    // Fetches the provider's rows and moves to the first; raises EDatabaseError
    // (no server, no provider name, malformed answer) or the server's EOleError.
    void Open();
    void Close();
    // Takes rows in the provider's shape without asking a server.
    void LoadRows(const Variant& rows);

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const noexcept { return eof_; }
    bool Bof() const noexcept { return bof_; }
    int RecordCount() const noexcept { return static_cast<int>(rows_.size()); }
    // The current record, from 1; 0 when there is none.
    int RecNo() const noexcept { return rows_.empty() ? 0 : current_ + 1; }

    const std::vector<std::string>& FieldNames() const noexcept { return fields_; }
    // Index of a field (names without regard to case), -1 when missing.
    int FieldIndex(const std::string& name) const;
    // The current record's value; Empty when there is no record. EDatabaseError for
    // a field the data set does not have.
    Variant FieldByName(const std::string& name) const;
    void SetFieldValue(const std::string& name, const Variant& value);

    // Moves to the first record whose index fields equal keys (fewer keys than index
    // fields compare the leading fields). False, and no move, when none matches.
    bool FindKey(const std::vector<Variant>& keys);
    // The same on the ';'-separated fields given.
    bool Locate(const std::string& fieldNames, const std::vector<Variant>& values);

private:
    int RequireField(const std::string& name) const;
    std::vector<int> FieldList(const std::string& names) const;
    bool MoveToMatch(const std::vector<int>& fields, const std::vector<Variant>& values);
    void CheckActive() const;

    QString providerName_;
    QString indexFieldNames_;
    QPointer<TSocketConnection> remoteServer_;
    Variant appServer_;
    bool active_ = false;
    std::vector<std::string> fields_;
    std::vector<std::vector<Variant>> rows_;
    int current_ = 0;
    bool eof_ = true;
    bool bof_ = true;
};

}  // namespace kv
