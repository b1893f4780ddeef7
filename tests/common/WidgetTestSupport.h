// Input for widget tests: keys and typed text delivered to a widget the way the
// window system delivers them (press, then release).
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

namespace kv::test {

inline void SendKey(QWidget* widget, int key, Qt::KeyboardModifiers modifiers, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

inline void SendKey(QWidget* widget, int key, const QString& text = {},
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    SendKey(widget, key, modifiers, text);
}

// One key per character (letters by their upper-case key code).
inline void TypeText(QWidget* widget, const QString& text) {
    for (QChar ch : text) SendKey(widget, ch.toUpper().unicode(), QString(ch));
}

}  // namespace kv::test
