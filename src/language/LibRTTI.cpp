#include "language/LibRTTI.h"

#include <QByteArray>
#include <QMetaEnum>
#include <QMetaObject>
#include <QMetaType>
#include <QObject>

#include <limits>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/Types.h"

namespace kv {

namespace {

// An identifier-to-number converter for integer properties of a declared type.
using IdentConverter = bool (*)(const QString&, int&);

bool IdentToColorInt(const QString& ident, int& value) {
    TColor color = 0;
    if (!IdentToColor(ident.trimmed(), color)) return false;
    value = color;
    return true;
}

// The converter for the property's declared type (Q_CLASSINFO
// "PropertyType:<Name>"), looked up from the most derived class upwards; null
// when the class declares none.
IdentConverter ConverterFor(const QMetaObject* meta, const QMetaProperty& property) {
    const QByteArray key = QByteArray("PropertyType:") + property.name();
    const int index = meta->indexOfClassInfo(key.constData());
    if (index < 0) return nullptr;
    const QByteArray type = meta->classInfo(index).value();
    if (type == "TColor") return &IdentToColorInt;
    if (type == "TCursor") return &IdentToCursor;
    if (type == "TFontCharset") return &IdentToCharset;
    return nullptr;
}

bool IsObjectPointer(const QMetaProperty& property) {
    return property.metaType().flags().testFlag(QMetaType::PointerToQObject);
}

bool IsIntegerType(const QMetaType& type) {
    switch (type.id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
            return true;
        default:
            return false;
    }
}

bool IsOrdinal(const QMetaProperty& property) {
    const int id = property.metaType().id();
    return property.isEnumType() || IsIntegerType(property.metaType()) || id == QMetaType::Bool ||
           id == QMetaType::QChar;
}

// The range a value of an integer type can hold.
bool FitsIntegerType(const QMetaType& type, qint64 value) {
    auto within = [value](qint64 lo, qint64 hi) { return value >= lo && value <= hi; };
    switch (type.id()) {
        case QMetaType::Int: return within(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        case QMetaType::UInt: return within(0, std::numeric_limits<unsigned>::max());
        case QMetaType::Short: return within(std::numeric_limits<short>::min(), std::numeric_limits<short>::max());
        case QMetaType::UShort: return within(0, std::numeric_limits<unsigned short>::max());
        case QMetaType::Char:
        case QMetaType::SChar: return within(std::numeric_limits<signed char>::min(), std::numeric_limits<signed char>::max());
        case QMetaType::UChar: return within(0, std::numeric_limits<unsigned char>::max());
        case QMetaType::ULong:
        case QMetaType::ULongLong: return value >= 0;
        default: return true;
    }
}

QVariant IntegerVariant(const QMetaType& type, qint64 value) {
    QVariant v(value);
    if (!v.convert(type)) return {};
    return v;
}

bool WriteProperty(QObject* object, const QMetaProperty& property, const QVariant& value) {
    if (!value.isValid() || !property.isWritable()) return false;
    return property.write(object, value);
}

// The value of one enumeration name, letter case ignored.
bool EnumKeyValue(const QMetaEnum& meta, const QString& key, int& value) {
    for (int i = 0; i < meta.keyCount(); ++i)
        if (key.compare(QLatin1String(meta.key(i)), Qt::CaseInsensitive) == 0) {
            value = meta.value(i);
            return true;
        }
    return false;
}

// "[a, b]", "a,b" or "a|b"; "[]" and "" are the empty set.
bool SetNamesValue(const QMetaEnum& meta, QString text, int& value) {
    text = text.trimmed();
    if (text.startsWith(QLatin1Char('[')) && text.endsWith(QLatin1Char(']')))
        text = text.mid(1, text.size() - 2).trimmed();
    value = 0;
    if (text.isEmpty()) return true;
    text.replace(QLatin1Char('|'), QLatin1Char(','));
    for (const QString& part : text.split(QLatin1Char(','))) {
        int bit = 0;
        if (!EnumKeyValue(meta, part.trimmed(), bit)) return false;
        value |= bit;
    }
    return true;
}

QVariant EnumValueFromText(const QMetaProperty& property, const QString& text) {
    qint64 number = 0;
    int value = 0;
    if (TryStrToInt64(text, number)) {
        if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max()) return {};
        value = static_cast<int>(number);
    } else {
        const QMetaEnum meta = property.enumerator();
        const bool ok = meta.isFlag() ? SetNamesValue(meta, text, value) : EnumKeyValue(meta, text.trimmed(), value);
        if (!ok) return {};
    }
    return IntegerVariant(property.metaType(), value);
}

QVariant BoolFromText(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return false;
    qint64 number = 0;
    if (TryStrToInt64(t, number) && (number == 0 || number == 1)) return number == 1;
    return {};
}

QVariant IntegerFromText(const QMetaType& type, const QString& text, IdentConverter converter) {
    int known = 0;
    if (converter && converter(text.trimmed(), known)) return IntegerVariant(type, known);
    qint64 number = 0;
    if (!TryStrToInt64(text, number) || !FitsIntegerType(type, number)) return {};
    return IntegerVariant(type, number);
}

QVariant FloatFromText(const QMetaType& type, const QString& text) {
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);  // C locale: '.' is the decimal point
    if (!ok) return {};
    QVariant v(d);
    return v.convert(type) ? v : QVariant();
}

QVariant StandardFromText(const QMetaType& type, const QString& text) {
    QVariant v(text);
    if (!v.convert(type)) return {};
    return v;
}

// The typed value text stands for in the property; invalid when it cannot be.
QVariant ValueFromText(const QMetaObject* meta, const QMetaProperty& property, const QString& text) {
    const QMetaType type = property.metaType();
    if (property.isEnumType()) return EnumValueFromText(property, text);
    switch (type.id()) {
        case QMetaType::QString: return text;
        case QMetaType::QByteArray: return text.toUtf8();
        case QMetaType::QChar: return text.size() == 1 ? QVariant(text.at(0)) : QVariant();
        case QMetaType::Bool: return BoolFromText(text);
        case QMetaType::Double:
        case QMetaType::Float: return FloatFromText(type, text);
        default: break;
    }
    if (IsIntegerType(type)) return IntegerFromText(type, text, ConverterFor(meta, property));
    return StandardFromText(type, text);
}

TStrings* StringsOf(const QObject* object, const QMetaProperty& property) {
    if (!IsObjectPointer(property)) return nullptr;
    return qobject_cast<TStrings*>(property.read(object).value<QObject*>());
}

// Sets one property of object (no path) from text.
bool SetPropertyFromText(QObject* object, const QString& name, const QString& text) {
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!property.isValid()) return false;
    if (IsObjectPointer(property)) {
        TStrings* strings = StringsOf(object, property);
        if (!strings) return false;
        strings->SetText(text);
        return true;
    }
    return WriteProperty(object, property, ValueFromText(object->metaObject(), property, text));
}

}  // namespace

bool TryStrToInt64(const QString& text, qint64& value) {
    QString t = text.trimmed();
    bool negative = false;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        negative = t.startsWith(QLatin1Char('-'));
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(QLatin1Char('$'))) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty()) return false;
    for (QChar c : t) {
        const bool digit = c.isDigit() && c.unicode() < 128;
        const bool hex = base == 16 && QStringLiteral("abcdefABCDEF").contains(c);
        if (!digit && !hex) return false;
    }
    bool ok = false;
    const quint64 magnitude = t.toULongLong(&ok, base);
    if (!ok) return false;
    // A hex text names the bit pattern of a 32-bit value ($FFFFFFFF is -1), as
    // colours and flags are written.
    if (base == 16 && magnitude <= 0xFFFFFFFFull && !negative) {
        value = magnitude > 0x7FFFFFFFull ? static_cast<qint64>(static_cast<qint32>(static_cast<quint32>(magnitude)))
                                          : static_cast<qint64>(magnitude);
        return true;
    }
    constexpr quint64 limit = static_cast<quint64>(std::numeric_limits<qint64>::max());
    if (magnitude > limit + (negative ? 1 : 0)) return false;
    value = negative ? static_cast<qint64>(0 - magnitude) : static_cast<qint64>(magnitude);
    return true;
}

QMetaProperty FindPropertyByName(const QObject* object, const QString& name) {
    if (!object || name.isEmpty()) return {};
    const QMetaObject* meta = object->metaObject();
    const QByteArray exact = name.toUtf8();
    const int index = meta->indexOfProperty(exact.constData());
    if (index >= 0) return meta->property(index);
    for (int i = meta->propertyCount() - 1; i >= 0; --i) {
        const QMetaProperty p = meta->property(i);
        if (name.compare(QLatin1String(p.name()), Qt::CaseInsensitive) == 0) return p;
    }
    return {};
}

bool HasProperty(const QObject* object, const QString& name) { return FindPropertyByName(object, name).isValid(); }

QString GetStrPropByName(const QObject* object, const QString& name) {
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!property.isValid() || !property.isReadable()) return {};
    if (IsObjectPointer(property)) {
        const TStrings* strings = StringsOf(object, property);
        return strings ? strings->Text() : QString();
    }
    if (IsEventProperty(property)) return {};
    const QVariant value = property.read(object);
    if (property.isEnumType()) {
        const QMetaEnum meta = property.enumerator();
        const int number = value.toInt();
        return meta.isFlag() ? QString::fromLatin1(meta.valueToKeys(number)) : QString::fromLatin1(meta.valueToKey(number));
    }
    return value.toString();
}

void SetStrPropByName(QObject* object, const QString& name, const QString& value) {
    if (!object) return;
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!property.isValid() || IsEventProperty(property)) return;
    SetPropertyFromText(object, QString::fromLatin1(property.name()), value);
}

int GetOrdPropByName(const QObject* object, const QString& name) {
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!property.isValid() || !property.isReadable() || !IsOrdinal(property)) return 0;
    const QVariant value = property.read(object);
    if (property.metaType().id() == QMetaType::QChar) return value.toChar().unicode();
    return value.toInt();
}

void SetOrdPropByName(QObject* object, const QString& name, int value) {
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!property.isValid() || !IsOrdinal(property)) return;
    const QMetaType type = property.metaType();
    QVariant v;
    if (type.id() == QMetaType::Bool)
        v = value != 0;
    else if (type.id() == QMetaType::QChar)
        v = value >= 0 && value <= 0xFFFF ? QVariant(QChar(static_cast<char16_t>(value))) : QVariant();
    else if (property.isEnumType() || FitsIntegerType(type, value))
        v = IntegerVariant(type, value);
    WriteProperty(object, property, v);
}

bool IsEventProperty(const QMetaProperty& property) {
    if (!property.isValid() || property.isEnumType() || IsObjectPointer(property)) return false;
    const QMetaType type = property.metaType();
    if (type.id() < QMetaType::User) return false;
    // The system's handler types are TEvent<...> instances named T...Event.
    const QByteArray name = type.name();
    return name.endsWith("Event") || name.startsWith("kv::TEvent<");
}

QVariant GetMethodPropByName(const QObject* object, const QString& name) {
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!IsEventProperty(property) || !property.isReadable()) return {};
    return property.read(object);
}

void SetMethodPropByName(QObject* object, const QString& name, const QVariant& handler) {
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!IsEventProperty(property)) return;
    if (!handler.isValid())
        WriteProperty(object, property, QVariant(property.metaType()));
    else if (handler.metaType() == property.metaType())
        WriteProperty(object, property, handler);
}

QObject* GetObjectPropByName(const QObject* object, const QString& name) {
    const QMetaProperty property = FindPropertyByName(object, name);
    if (!property.isValid() || !property.isReadable() || !IsObjectPointer(property)) return nullptr;
    return property.read(object).value<QObject*>();
}

bool SetPropertyByPath(QObject* object, const QString& path, const QString& value) {
    if (!object) return false;
    const QStringList segments = path.split(QLatin1Char('.'));
    QObject* owner = object;
    for (qsizetype i = 0; i + 1 < segments.size(); ++i) {
        owner = GetObjectPropByName(owner, segments[i].trimmed());
        if (!owner) return false;
    }
    return SetPropertyFromText(owner, segments.last().trimmed(), value);
}

}  // namespace kv
