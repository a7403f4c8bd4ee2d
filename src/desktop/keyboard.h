#pragma once
// The state of the modifier keys now, read from the keyboard itself rather than from the last
// key event some window saw. Tests install a double.

#include <Qt>

#include "platform/service.h"

class Keyboard : public Service<Keyboard> {
public:
    virtual ~Keyboard() = default;
    virtual Qt::KeyboardModifiers modifiers() const;

private:
    friend Service;
    static Keyboard& real();
};
