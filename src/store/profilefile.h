#pragma once
// Settings files in the INI syntax of the Windows profile functions, byte-compatible with what
// GetPrivateProfileStringA reads and WritePrivateProfileStringA writes: GBK names and values,
// names matched without regard to ASCII letter case, trimmed values, quotes stripped, reads
// of at most 255 bytes, CR LF on write.
//
// The file is parsed once per load. Writes are collected in memory and written by save() in
// one atomic replace, keeping every line they do not touch byte for byte.

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <cstdint>
#include <vector>

namespace store {

class ProfileFile {
public:
    // A read returns at most this many bytes (the Windows read buffer holds 256 with the NUL).
    static constexpr qsizetype kMaxValueBytes = 255;
    // A larger file is no settings file: it is read as empty.
    static constexpr qsizetype kMaxFileBytes = qsizetype(256) * 1024 * 1024;

    ProfileFile() = default;
    explicit ProfileFile(QString path) : m_path(std::move(path)) {}

    const QString& path() const { return m_path; }

    // Reads and parses the file. A missing file is an empty store and no error. An unreadable
    // or oversized file reads as empty; the reason goes to *error and false is returned.
    bool load(QString* error = nullptr);
    // Parses the given bytes as the file's content and drops pending writes.
    void setContent(QByteArray bytes);
    const QByteArray& content() const { return m_data; }

    // The value of key in section, or def when the section or the key is missing. At most
    // kMaxValueBytes bytes, never ending inside a double-byte character, cut at a NUL byte,
    // leading and trailing blanks removed. Pending writes are seen.
    QByteArray readBytes(QByteArrayView section, QByteArrayView key, QByteArrayView def) const;
    // The same with GBK-encoded names and value.
    QString read(const QString& section, const QString& key, const QString& def = {}) const;
    // The names of the file's sections, in file order, as their bytes.
    QList<QByteArray> sectionNames() const;

    // Sets key in section (both created as needed). CR and LF in the value become spaces, so
    // a value can never add lines to the file.
    void writeBytes(QByteArrayView section, QByteArrayView key, QByteArrayView value);
    void write(const QString& section, const QString& key, const QString& value);

    bool hasPendingWrites() const { return !m_pending.empty(); }
    // The bytes that save() writes: the file with every pending write applied.
    QByteArray serialize() const;
    // Writes serialize() to path() in one atomic replace (temporary file in the same folder,
    // flushed to disk, renamed). On failure the old file stays whole, the pending writes are
    // kept for a later try, *error says why, and false is returned.
    bool save(QString* error = nullptr);

private:
    struct Span {
        qsizetype begin = 0;
        qsizetype end = 0;
    };
    struct Line {
        qsizetype begin;
        qsizetype end;   // end of the text, before the line break
        qsizetype next;  // start of the next line
    };
    struct PendingKey {
        QByteArray key;
        QByteArray value;
    };
    struct PendingSection {
        QByteArray name;
        std::vector<PendingKey> keys;
    };

    Line lineAt(qsizetype pos) const;
    bool headerName(const Line& line, Span* name) const;
    bool keyLine(const Line& line, Span* name, Span* value) const;
    QByteArrayView view(Span span) const {
        return QByteArrayView(m_data).sliced(span.begin, span.end - span.begin);
    }
    qsizetype bodyEnd(std::size_t header) const;
    // Index in m_headers of the first section with this name, or -1.
    qsizetype findSection(QByteArrayView name) const;
    bool findKey(std::size_t header, QByteArrayView key, Span* value) const;
    const PendingSection* pendingSection(QByteArrayView name) const;
    // The value a read returns, as a view into the file or the pending writes.
    QByteArrayView valueView(QByteArrayView section, QByteArrayView key, QByteArrayView def) const;
    void appendBody(QByteArray& out, std::size_t header, const PendingSection& edits) const;

    QString m_path;
    QByteArray m_data;
    std::vector<uint32_t> m_headers;  // line starts of section headers, in file order
    std::vector<std::pair<uint32_t, uint32_t>> m_lookup;  // (name hash, header index), sorted
    std::vector<PendingSection> m_pending;                // in order of first write
    QHash<QByteArray, std::size_t> m_pendingIndex;        // folded name -> m_pending index

    // The key lines of a section, indexed on its first lookup; a section with very many lines
    // is scanned instead, so that the index never outgrows the file.
    struct KeyIndex {
        bool complete = true;
        std::vector<std::pair<Span, Span>> keys;  // (name, value)
    };
    static constexpr std::size_t kMaxIndexedKeys = 1024;
    const KeyIndex& keyIndex(std::size_t header) const;
    mutable QHash<std::size_t, KeyIndex> m_keyIndex;
    mutable qsizetype m_lastHeader = -1;  // section of the last read
    mutable QByteArray m_lastHeaderName;
    std::size_t m_lastPending = 0;  // section of the last write
};

// Names compare without regard to ASCII letter case; both bytes of a double-byte character
// compare exactly (a trail byte may look like an ASCII letter).
bool namesEqual(QByteArrayView a, QByteArrayView b);
QByteArray foldName(QByteArrayView name);

}  // namespace store
