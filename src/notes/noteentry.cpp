#include "notes/noteentry.h"

#include <QTextDocument>

#include "rtf/longparagraphs.h"

NoteEntry::NoteEntry(NoteId id, QObject* parent)
    : QObject(parent),
      m_id(id),
      m_state([] {
          Note hidden;  // as the note is, until it is shown
          hidden.visible = false;
          return hidden;
      }()),
      m_document(new QTextDocument(this)) {
    connect(m_document, &QTextDocument::contentsChanged, this, [this] { m_searchText.reset(); });
}

const textsearch::Text& NoteEntry::searchText() const {
    if (!m_searchText) m_searchText.emplace(longparagraphs::plainText(*m_document));
    return *m_searchText;
}
