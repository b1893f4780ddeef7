// What the code-page conversion of a whole form needs from components that live
// above the converter: components with texts of their own that the generic
// published properties do not reach (the selection panel's words, its list and
// list view) convert them themselves through this interface. Also the design
// type shared by the components that read the client or the server configuration.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

namespace kv {
namespace DesignEnums {
Q_NAMESPACE

// Which side of the installation a component reads its configuration from.
enum TDesignType { dtClient, dtServer };
Q_ENUM_NS(TDesignType)

}  // namespace DesignEnums

using namespace DesignEnums;

// A component that converts its own texts when its form is converted.
class ITextConvertible {
public:
    virtual ~ITextConvertible() = default;
    // Replaces each of the component's own texts t by convert(t). Selections and
    // other state that depend on the texts stay as they were.
    virtual void ConvertTexts(const std::function<QString(const QString&)>& convert) = 0;

protected:
    ITextConvertible() = default;
    ITextConvertible(const ITextConvertible&) = default;
    ITextConvertible& operator=(const ITextConvertible&) = default;
};

}  // namespace kv
