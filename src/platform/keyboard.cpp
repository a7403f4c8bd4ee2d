#include "platform/keyboard.h"

#include <QGuiApplication>

Qt::KeyboardModifiers Keyboard::modifiers() const {
    return QGuiApplication::queryKeyboardModifiers();
}

namespace {
Keyboard* g_installed = nullptr;
}

Keyboard& Keyboard::instance() {
    if (g_installed) return *g_installed;
    static Keyboard real;
    return real;
}

void Keyboard::install(Keyboard* keyboard) {
    g_installed = keyboard;
}
