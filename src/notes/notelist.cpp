#include "notes/notelist.h"

NoteEntry* NoteList::add() {
    auto* entry = new NoteEntry(++m_lastId, this);
    m_entries.append(entry);
    m_byId.insert(entry->id(), entry);
    Q_EMIT added(entry);
    return entry;
}

void NoteList::remove(NoteId id) {
    NoteEntry* entry = m_byId.take(id);
    if (!entry) return;
    m_entries.removeOne(entry);
    entry->deleteLater();
}
