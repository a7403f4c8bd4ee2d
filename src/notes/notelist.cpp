#include "notes/notelist.h"

NoteEntry* NoteList::add() {
    auto* entry = new NoteEntry(++m_lastId, this);
    m_entries.append(entry);
    m_byId.insert(entry->id(), entry);
    const NoteId id = entry->id();
    connect(entry, &NoteEntry::changed, this, [this, id] {
        if (m_quiet == 0) Q_EMIT edited(id);
    });
    connect(entry, &NoteEntry::contentChanged, this, [this, id] {
        if (m_quiet == 0) Q_EMIT contentEdited(id);
    });
    return entry;
}

void NoteList::remove(NoteId id) {
    NoteEntry* entry = m_byId.take(id);
    if (!entry) return;
    m_entries.removeOne(entry);
    entry->disconnect(this);
    entry->deleteLater();
    if (m_quiet == 0) Q_EMIT removed(id);
}
