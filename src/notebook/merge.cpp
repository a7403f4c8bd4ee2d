#include "notebook/merge.h"

#include <QHash>

namespace merge {
namespace {

// For each of theirs, the base note it is, or -1 for a note made there.
QList<int> matchToBase(const QList<StoredVersion>& base, const QList<StoredVersion>& theirs) {
    QMultiHash<QString, int> byCreated;
    QHash<QString, int> byUid;
    for (int i = 0; i < base.size(); ++i) {
        byCreated.insert(base[i].note.created, i);
        if (!base[i].note.uid.isEmpty()) byUid.insert(base[i].note.uid, i);
    }
    QList<bool> taken(base.size(), false);
    QList<int> match(theirs.size(), -1);
    // First by identity; a note whose identity its section lost (the Windows program renumbered
    // the notes) by what it still has.
    for (int t = 0; t < theirs.size(); ++t) {
        const int b = byUid.value(theirs[t].note.uid, -1);
        if (b < 0 || taken[b]) continue;
        taken[b] = true;
        match[t] = b;
    }
    // Three passes, each looser than the one before: same creation time and same text, then
    // same number, then any.
    const std::function<bool(const StoredVersion&, const StoredVersion&)> alike[] = {
        [](const StoredVersion& b, const StoredVersion& t) {
            return b.contentHash == t.contentHash && b.contentHash != 0;
        },
        [](const StoredVersion& b, const StoredVersion& t) { return b.section == t.section; },
        [](const StoredVersion&, const StoredVersion&) { return true; },
    };
    for (const auto& same : alike) {
        for (int t = 0; t < theirs.size(); ++t) {
            if (match[t] >= 0) continue;
            QList<int> candidates = byCreated.values(theirs[t].note.created);
            std::sort(candidates.begin(), candidates.end());
            for (int b : candidates) {
                if (taken[b] || !same(base[b], theirs[t])) continue;
                taken[b] = true;
                match[t] = b;
                break;
            }
        }
    }
    return match;
}

}  // namespace

bool sameValues(Note a, const Note& b) {
    a.uid = b.uid;
    return a == b;
}

Note mergeValues(const Note& base, const Note& theirs, const Note& ours) {
    Note merged = ours;
    // Each field together with those that mean nothing without it.
    auto take = [&](auto... field) {
        const bool there = ((base.*field != theirs.*field) || ...);
        const bool here = ((base.*field != ours.*field) || ...);
        if (there && !here) ((merged.*field = theirs.*field), ...);
    };
    take(&Note::left, &Note::top);
    take(&Note::width, &Note::height);
    take(&Note::colour);
    take(&Note::opacity);
    take(&Note::created);
    take(&Note::reminder, &Note::reminderOn);
    take(&Note::soundPath);
    take(&Note::password, &Note::locked, &Note::heightBeforeLock);
    take(&Note::visible);
    return merged;
}

Plan plan(const QList<StoredVersion>& base, const QList<StoredVersion>& theirs,
          const QList<OurNote>& ours) {
    Plan plan;
    const QList<int> match = matchToBase(base, theirs);
    QList<const OurNote*> ourOfBase(base.size(), nullptr);
    for (const OurNote& our : ours) {
        if (our.base >= 0 && our.base < base.size()) ourOfBase[our.base] = &our;
    }
    QList<bool> stillThere(base.size(), false);
    for (int t = 0; t < theirs.size(); ++t) {
        const StoredVersion& their = theirs[t];
        if (match[t] < 0) {
            plan.added.append({their.section, their.note, 0});
            continue;
        }
        const StoredVersion& was = base[match[t]];
        stillThere[match[t]] = true;
        // An identity that differs is no change: the note keeps the one known here.
        const bool valuesThere = !sameValues(their.note, was.note);
        const bool textThere = their.contentHash != was.contentHash;
        const OurNote* our = ourOfBase[match[t]];
        if (!our) {
            // Deleted here. A change made there since comes back; nothing is lost.
            if (valuesThere || textThere)
                plan.added.append({their.section, their.note, 0});
            else
                plan.removals.append(their.section);
            continue;
        }
        Plan::Update update{our->id, their.section, std::nullopt, false};
        // Values are many small things (place, colour, reminder): where both sides changed
        // the same one, this machine's wins.
        if (valuesThere) {
            Note merged =
                our->values ? mergeValues(was.note, their.note, *our->values) : their.note;
            if (!our->values) merged.uid = was.note.uid;
            if (!our->values || merged != *our->values) update.note = std::move(merged);
        }
        if (textThere && !our->textChanged) update.takeText = true;
        plan.updates.append(update);
        if (textThere && our->textChanged)
            plan.added.append({their.section, their.note, our->id, their.contentHash});
    }
    for (int b = 0; b < base.size(); ++b) {
        const OurNote* our = ourOfBase[b];
        if (stillThere[b] || !our) continue;
        if (our->values || our->textChanged)
            plan.orphaned.append(our->id);
        else
            plan.closed.append(our->id);
    }
    return plan;
}

Arrivals arrivals(const QSet<int>& listed, const QHash<int, files::Stamp>& contents,
                  const QHash<int, files::Stamp>& baseContents,
                  const QHash<int, qint64>& missedBefore, qint64 now, int arrivingMs) {
    Arrivals found;
    auto missed = [&](int key) {
        const qint64 since = missedBefore.value(key, now);
        found.missedSince.insert(key, since);
        found.waiting = found.waiting || now - since < arrivingMs;
    };
    for (int section : listed) {
        if (!contents.contains(section)) missed(section);
    }
    for (auto it = contents.cbegin(); it != contents.cend(); ++it) {
        if (listed.contains(it.key()) || baseContents.value(it.key()) == it.value()) continue;
        found.unlisted.append(it.key());
        missed(-it.key());
    }
    return found;
}

}  // namespace merge
