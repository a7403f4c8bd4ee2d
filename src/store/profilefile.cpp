#include "store/profilefile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "platform/files.h"
#include "text/gbk.h"

namespace store {
namespace {

constexpr QByteArrayView kCrLf("\r\n");
constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

unsigned char foldByte(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c;
}

// Calls f on each byte of the folded name.
template <typename F>
void forEachFolded(QByteArrayView name, F&& f) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (gbk::isLeadByte(c) && i + 1 < name.size()) {
            f(c);
            f(static_cast<unsigned char>(name[++i]));
        } else {
            f(foldByte(c));
        }
    }
}

uint32_t nameHash(QByteArrayView name) {
    uint32_t h = 2166136261u;
    forEachFolded(name, [&h](unsigned char c) { h = (h ^ c) * 16777619u; });
    return h;
}

QByteArrayView trimmed(QByteArrayView v) {
    qsizetype b = 0;
    qsizetype e = v.size();
    while (b < e && isBlank(v[b]))
        ++b;
    while (e > b && isBlank(v[e - 1]))
        --e;
    return v.sliced(b, e - b);
}

bool endsWithLineBreak(const QByteArray& bytes) {
    return bytes.isEmpty() || bytes.endsWith('\n') || bytes.endsWith('\r');
}

// What a reader gets back: a stored value loses its enclosing quotes, the default does not.
QByteArrayView readValue(QByteArrayView stored, bool quoted = true) {
    QByteArrayView v = trimmed(stored);
    if (quoted && v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.sliced(1, v.size() - 2);
    const qsizetype nul = v.indexOf('\0');
    if (nul >= 0) v = v.first(nul);
    v = v.first(gbk::boundaryAtOrBefore(v, ProfileFile::kMaxValueBytes));
    return trimmed(v);
}

QByteArray keyLineBytes(QByteArrayView key, QByteArrayView value) {
    QByteArray line;
    line.reserve(key.size() + value.size() + 3);
    line.append(key).append('=').append(value);
    return line;
}

}  // namespace

bool namesEqual(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (gbk::isLeadByte(ca) && i + 1 < a.size()) {
            if (ca != cb || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (foldByte(ca) != foldByte(cb)) {
            return false;
        }
    }
    return true;
}

QByteArray foldName(QByteArrayView name) {
    QByteArray out;
    out.reserve(name.size());
    forEachFolded(name, [&out](unsigned char c) { out.append(static_cast<char>(c)); });
    return out;
}

bool ProfileFile::load(QString* error) {
    QByteArray bytes;
    switch (files::readRegular(m_path, kMaxFileBytes, &bytes, error)) {
        case files::ReadResult::Ok:
            setContent(std::move(bytes));
            return true;
        case files::ReadResult::Missing:
            setContent({});
            return true;
        case files::ReadResult::Failed:
            break;
    }
    setContent({});
    return false;
}

void ProfileFile::setContent(QByteArray bytes) {
    m_data = std::move(bytes);
    m_headers.clear();
    m_lookup.clear();
    m_keyIndex.clear();
    m_lastHeader = -1;
    m_lastHeaderName.clear();
    m_lastPending = 0;
    m_pending.clear();
    m_pendingIndex.clear();
    if (m_data.size() > kMaxFileBytes) m_data.clear();

    qsizetype pos = m_data.startsWith(kUtf8Bom) ? kUtf8Bom.size() : 0;
    while (pos < m_data.size()) {
        const Line line = lineAt(pos);
        Span name;
        if (headerName(line, &name)) {
            m_lookup.emplace_back(nameHash(view(name)), static_cast<uint32_t>(m_headers.size()));
            m_headers.push_back(static_cast<uint32_t>(line.begin));
        }
        pos = line.next;
    }
    std::sort(m_lookup.begin(), m_lookup.end());
}

ProfileFile::Line ProfileFile::lineAt(qsizetype pos) const {
    const char* d = m_data.constData();
    const qsizetype n = m_data.size();
    // Two vectorised searches beat one loop over the bytes; CR alone also ends a line.
    const void* lf = std::memchr(d + pos, '\n', n - pos);
    qsizetype end = lf ? static_cast<const char*>(lf) - d : n;
    if (const void* cr = std::memchr(d + pos, '\r', end - pos))
        end = static_cast<const char*>(cr) - d;
    qsizetype next = end;
    if (next < n) next += (d[next] == '\r' && next + 1 < n && d[next + 1] == '\n') ? 2 : 1;
    return {pos, end, next};
}

bool ProfileFile::headerName(const Line& line, Span* name) const {
    qsizetype b = line.begin;
    while (b < line.end && isBlank(m_data[b]))
        ++b;
    if (b == line.end || m_data[b] != '[') return false;
    const qsizetype close = QByteArrayView(m_data).sliced(b, line.end - b).indexOf(']');
    if (close < 0) return false;
    qsizetype s = b + 1;
    qsizetype e = b + close;
    while (s < e && isBlank(m_data[s]))
        ++s;
    while (e > s && isBlank(m_data[e - 1]))
        --e;
    *name = {s, e};
    return true;
}

bool ProfileFile::keyLine(const Line& line, Span* name, Span* value) const {
    qsizetype b = line.begin;
    while (b < line.end && isBlank(m_data[b]))
        ++b;
    if (b == line.end || m_data[b] == ';' || m_data[b] == '[') return false;
    const qsizetype eq = QByteArrayView(m_data).sliced(b, line.end - b).indexOf('=');
    if (eq < 0) return false;
    qsizetype ne = b + eq;
    while (ne > b && isBlank(m_data[ne - 1]))
        --ne;
    *name = {b, ne};
    *value = {b + eq + 1, line.end};
    return true;
}

qsizetype ProfileFile::bodyEnd(std::size_t header) const {
    return header + 1 < m_headers.size() ? qsizetype(m_headers[header + 1]) : m_data.size();
}

qsizetype ProfileFile::findSection(QByteArrayView name) const {
    const uint32_t h = nameHash(name);
    auto it = std::lower_bound(m_lookup.begin(), m_lookup.end(), std::make_pair(h, uint32_t(0)));
    for (; it != m_lookup.end() && it->first == h; ++it) {
        Span found;
        headerName(lineAt(m_headers[it->second]), &found);
        if (namesEqual(view(found), name)) return it->second;
    }
    return -1;
}

const ProfileFile::KeyIndex& ProfileFile::keyIndex(std::size_t header) const {
    auto it = m_keyIndex.find(header);
    if (it != m_keyIndex.end()) return *it;
    KeyIndex index;
    const qsizetype end = bodyEnd(header);
    for (qsizetype pos = lineAt(m_headers[header]).next; pos < end;) {
        const Line line = lineAt(pos);
        Span name;
        Span value;
        if (keyLine(line, &name, &value)) {
            if (index.keys.size() == kMaxIndexedKeys) {
                index = {false, {}};
                break;
            }
            index.keys.emplace_back(name, value);
        }
        pos = line.next;
    }
    return *m_keyIndex.emplace(header, std::move(index));
}

bool ProfileFile::findKey(std::size_t header, QByteArrayView key, Span* value) const {
    const KeyIndex& index = keyIndex(header);
    if (index.complete) {
        for (const auto& [name, stored] : index.keys) {
            if (namesEqual(view(name), key)) {
                *value = stored;
                return true;
            }
        }
        return false;
    }
    const qsizetype end = bodyEnd(header);
    for (qsizetype pos = lineAt(m_headers[header]).next; pos < end;) {
        const Line line = lineAt(pos);
        Span name;
        if (keyLine(line, &name, value) && namesEqual(view(name), key)) return true;
        pos = line.next;
    }
    return false;
}

const ProfileFile::PendingSection* ProfileFile::pendingSection(QByteArrayView name) const {
    if (m_pending.empty()) return nullptr;
    const auto it = m_pendingIndex.constFind(foldName(trimmed(name)));
    return it == m_pendingIndex.cend() ? nullptr : &m_pending[*it];
}

QByteArrayView ProfileFile::valueView(QByteArrayView section, QByteArrayView key,
                                      QByteArrayView def) const {
    section = trimmed(section);
    key = trimmed(key);
    if (const PendingSection* edits = pendingSection(section)) {
        for (const PendingKey& k : edits->keys) {
            if (namesEqual(k.key, key)) return readValue(k.value);
        }
    }
    // Readers ask for one section's keys in a row: try the section of the last read first.
    if (m_lastHeader < 0 || !namesEqual(m_lastHeaderName, section)) {
        m_lastHeader = findSection(section);
        m_lastHeaderName = section.toByteArray();
    }
    const qsizetype header = m_lastHeader;
    Span value;
    if (header >= 0 && findKey(std::size_t(header), key, &value)) return readValue(view(value));
    return readValue(def, false);
}

QByteArray ProfileFile::readBytes(QByteArrayView section, QByteArrayView key,
                                  QByteArrayView def) const {
    return valueView(section, key, def).toByteArray();
}

QString ProfileFile::read(const QString& section, const QString& key, const QString& def) const {
    return gbk::decode(valueView(gbk::encode(section), gbk::encode(key), gbk::encode(def)));
}

void ProfileFile::writeBytes(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
    section = trimmed(section);
    key = trimmed(key);
    QByteArray clean = value.toByteArray();
    if (clean.contains('\r') || clean.contains('\n')) clean.replace('\r', ' ').replace('\n', ' ');

    // Writers fill one section after the other: try the section of the last write first.
    if (m_lastPending >= m_pending.size() || !namesEqual(m_pending[m_lastPending].name, section)) {
        const QByteArray folded = foldName(section);
        auto it = m_pendingIndex.constFind(folded);
        if (it == m_pendingIndex.cend()) {
            it = m_pendingIndex.insert(folded, m_pending.size());
            m_pending.push_back({section.toByteArray(), {}});
        }
        m_lastPending = *it;
    }
    PendingSection& edits = m_pending[m_lastPending];
    for (PendingKey& k : edits.keys) {
        if (namesEqual(k.key, key)) {
            k.value = std::move(clean);
            return;
        }
    }
    edits.keys.push_back({key.toByteArray(), std::move(clean)});
}

void ProfileFile::write(const QString& section, const QString& key, const QString& value) {
    writeBytes(gbk::encode(section), gbk::encode(key), gbk::encode(value));
}

void ProfileFile::appendBody(QByteArray& out, std::size_t header,
                             const PendingSection& edits) const {
    std::vector<bool> done(edits.keys.size(), false);
    const qsizetype end = bodyEnd(header);
    qsizetype pos = lineAt(m_headers[header]).next;
    qsizetype insertAt = out.size();  // after the last line that is not blank
    while (pos < end) {
        const Line line = lineAt(pos);
        Span name;
        Span value;
        bool replaced = false;
        if (keyLine(line, &name, &value)) {
            for (std::size_t i = 0; i < edits.keys.size(); ++i) {
                if (!done[i] && namesEqual(view(name), edits.keys[i].key)) {
                    done[i] = true;
                    out.append(keyLineBytes(view(name), edits.keys[i].value));
                    out.append(QByteArrayView(m_data).sliced(line.end, line.next - line.end));
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out.append(QByteArrayView(m_data).sliced(line.begin, line.next - line.begin));
        if (!trimmed(QByteArrayView(m_data).sliced(line.begin, line.end - line.begin)).isEmpty())
            insertAt = out.size();
        pos = line.next;
    }

    QByteArray added;
    for (std::size_t i = 0; i < edits.keys.size(); ++i) {
        if (!done[i])
            added.append(keyLineBytes(edits.keys[i].key, edits.keys[i].value)).append(kCrLf);
    }
    if (added.isEmpty()) return;
    if (!endsWithLineBreak(out.first(insertAt))) added.prepend(kCrLf);
    out.insert(insertAt, added);
}

QByteArray ProfileFile::serialize() const {
    if (m_pending.empty()) return m_data;

    std::vector<std::pair<std::size_t, std::size_t>> present;  // (header, pending)
    std::vector<std::size_t> absent;
    for (std::size_t p = 0; p < m_pending.size(); ++p) {
        const qsizetype header = findSection(m_pending[p].name);
        if (header >= 0)
            present.emplace_back(std::size_t(header), p);
        else
            absent.push_back(p);
    }
    std::sort(present.begin(), present.end());

    QByteArray out;
    out.reserve(m_data.size() + m_data.size() / 8 + 4096);
    qsizetype pos = 0;
    for (const auto& [header, p] : present) {
        const qsizetype bodyStart = lineAt(m_headers[header]).next;
        out.append(QByteArrayView(m_data).sliced(pos, bodyStart - pos));
        appendBody(out, header, m_pending[p]);
        pos = bodyEnd(header);
    }
    out.append(QByteArrayView(m_data).sliced(pos));

    for (std::size_t p : absent) {
        if (!endsWithLineBreak(out)) out.append(kCrLf);
        out.append('[').append(m_pending[p].name).append(']').append(kCrLf);
        for (const PendingKey& k : m_pending[p].keys)
            out.append(keyLineBytes(k.key, k.value)).append(kCrLf);
    }
    return out;
}

QList<QByteArray> ProfileFile::sectionNames() const {
    QList<QByteArray> names;
    names.reserve(qsizetype(m_headers.size()));
    for (const uint32_t start : m_headers) {
        Span name;
        if (headerName(lineAt(start), &name)) names.append(view(name).toByteArray());
    }
    return names;
}

bool ProfileFile::save(QString* error) {
    QByteArray bytes = serialize();
    // The pending writes stay when the save fails, for the next try.
    if (!files::writeAtomically(m_path, bytes, error)) return false;
    setContent(std::move(bytes));
    return true;
}

}  // namespace store
