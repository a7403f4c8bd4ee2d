#pragma once
// What the note commands may ask of the program, answered by the program's parts.

#include "commands/notecommands.h"

class TrayController;

class NoteCommandHost final : public CommandHost {
public:
    explicit NoteCommandHost(TrayController& app) : m_app(app) {}

    NoteWindow* createNote() override;
    NoteWindow* currentNote() const override;
    bool notesOnTop() const override;
    void applyTopmostToAll() override;
    QList<QPoint> notePlaces(const NoteWindow* except) const override;
    void closeNote(NoteWindow* note) override;
    int storedNumber(const NoteWindow* note) override;
    void removeContentFile(int n) override;
    void saveNow() override;
    void giveBackNoteNumber() override;
    void showSettings() override;
    void showIconPicker() override;
    QString& findText() override { return m_findText; }

private:
    TrayController& m_app;
    QString m_findText;  // the last text searched for, in any note
};
