#include "desktop/keyboard.h"

#include <QGuiApplication>

Qt::KeyboardModifiers Keyboard::modifiers() const {
    return QGuiApplication::queryKeyboardModifiers();
}

Keyboard& Keyboard::real() {
    static Keyboard real;
    return real;
}
