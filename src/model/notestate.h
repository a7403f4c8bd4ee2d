#pragma once
// A note's values while the program runs: each setter signals changed() only when a value
// really changes, so that the store is told of what changed and of nothing else.

#include <QObject>
#include <utility>

#include "model/note.h"

class NoteState : public QObject {
    Q_OBJECT
public:
    explicit NoteState(Note values = {}) : m_values(std::move(values)) {}

    const Note& values() const { return m_values; }
    // All values at once: one change however many differ.
    void setValues(const Note& values);
    void setPlaceAndSize(int left, int top, int width, int height);
    void setPlace(int left, int top) {
        setPlaceAndSize(left, top, m_values.width, m_values.height);
    }
    void setSize(int width, int height) {
        setPlaceAndSize(m_values.left, m_values.top, width, height);
    }
    // A new note's creation time and identity.
    void setIdentity(const QString& created, const QString& uid);
    void setReminderOn(bool on);
    void setSoundPath(const QString& path);
    void setVisible(bool visible);

Q_SIGNALS:
    // Something the store keeps changed.
    void changed();

private:
    template <typename Edit>
    void edit(Edit change) {
        Note values = m_values;
        change(values);
        setValues(values);
    }

    Note m_values;
};
