// Reading and writing published properties of any component by name, the way the
// language files, the code-page converter and the option capture do it. Names are
// matched without regard to letter case; a missing object or property gives an
// empty result and writes nothing.
#pragma once

#include <QMetaProperty>
#include <QString>
#include <QVariant>

class QObject;

namespace kv {

// The published property of that name (letter case ignored); an invalid
// QMetaProperty when the object is null or has none.
QMetaProperty FindPropertyByName(const QObject* object, const QString& name);
bool HasProperty(const QObject* object, const QString& name);

// Text properties; other simple types give their standard text, a string-list
// property its Text. Empty when missing.
QString GetStrPropByName(const QObject* object, const QString& name);
void SetStrPropByName(QObject* object, const QString& name, const QString& value);

// Ordinal properties: integers, Booleans, characters, enumerations and sets. 0
// when missing or not ordinal.
int GetOrdPropByName(const QObject* object, const QString& name);
void SetOrdPropByName(QObject* object, const QString& name, int value);

// Event-handler properties (the TEvent types). The getter gives the handler in a
// QVariant of the property's own type, or an invalid QVariant when there is no
// such event property. The setter takes a QVariant of that type; an invalid
// QVariant clears the handler; a handler of another type writes nothing.
QVariant GetMethodPropByName(const QObject* object, const QString& name);
void SetMethodPropByName(QObject* object, const QString& name, const QVariant& handler);
// Whether the property holds an event handler.
bool IsEventProperty(const QMetaProperty& property);

template <class E>
E GetEventPropByName(const QObject* object, const QString& name) {
    return GetMethodPropByName(object, name).value<E>();
}
template <class E>
void SetEventPropByName(QObject* object, const QString& name, const E& handler) {
    SetMethodPropByName(object, name, QVariant::fromValue(handler));
}

// The object a class-typed property holds; null when missing, empty or not
// class-typed.
QObject* GetObjectPropByName(const QObject* object, const QString& name);

// Follows a dotted path ("Font.Charset") through class-typed properties and sets
// the last property from text:
// - integer properties that the class declares as TColor, TCursor or
//   TFontCharset (Q_CLASSINFO "PropertyType:<Name>") take the number of a known
//   identifier (clRed, crHourGlass, GB2312_CHARSET), else the text as a number;
// - enumerations take a value name (letter case ignored) or a number; sets take
//   names joined by ',' or '|', optionally in brackets ("[fsBold,fsItalic]");
// - Booleans take True/False (letter case ignored) or 0/1;
// - integers take decimal, "$hex" or "0xhex" text within the type's range;
// - string lists get the text as their Text;
// - any other type the standard conversion of the text.
// Nothing is written when a step fails; the result says whether the value was set.
bool SetPropertyByPath(QObject* object, const QString& path, const QString& value);

// Classic integer text: optional sign, then decimal digits, "$" or "0x" with hex
// digits; blanks around are ignored. False for anything else or on overflow.
bool TryStrToInt64(const QString& text, qint64& value);

}  // namespace kv
