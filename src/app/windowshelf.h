#pragma once
// The note windows as the store sees them: each known by its identity, made and closed as the
// store asks.

#include <functional>

#include "notebook/noteshelf.h"

class NoteWindow;
class OpenWindows;

class WindowShelf final : public NoteShelf {
public:
    // How a note window is made, the first note of a new store, and how a window closes.
    struct Notes {
        std::function<NoteWindow*()> create;
        std::function<void()> first;
        std::function<void(NoteWindow*)> close;
    };
    WindowShelf(const OpenWindows& windows, Notes notes)
        : m_windows(windows), m_notes(std::move(notes)) {}

    QList<Shown> notes() const override;
    NoteId open(const NoteChange& change, QString* problem) override;
    void apply(NoteId id, const NoteChange& change) override;
    void close(NoteId id) override;
    void first() override { m_notes.first(); }
    void settle() override;

private:
    NoteWindow* window(NoteId id) const;

    const OpenWindows& m_windows;
    Notes m_notes;
};
