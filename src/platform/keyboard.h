#pragma once
// The state of the modifier keys now, read from the keyboard itself rather than from the last
// key event some window saw. Tests install a double.

#include <Qt>

class Keyboard {
public:
    virtual ~Keyboard() = default;
    virtual Qt::KeyboardModifiers modifiers() const;

    // The keyboard in use: the real one unless a test installed another.
    static Keyboard& instance();
    static void install(Keyboard* keyboard);  // not owned; nullptr restores the real one
};
