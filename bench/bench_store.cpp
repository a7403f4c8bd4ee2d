// Reading and writing a settings file of 1,000 notes, against plain file I/O of the same bytes.
#include <unistd.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "store/profilefile.h"
#include "store/storekeys.h"
#include "text/gbk.h"

using store::ProfileFile;
using namespace store::keys;

namespace {

constexpr int kNotes = 1000;
constexpr int kRuns = 31;

struct Note {
    QString section;
    std::vector<std::pair<QString, QString>> keys;
};

std::vector<Note> makeNotes() {
    std::vector<Note> notes;
    for (int n = 1; n <= kNotes; ++n) {
        const QString i = QString::number(n);
        notes.push_back(
            {noteSection(n),
             {{kReminder, n % 3 ? QString() : QStringLiteral("2026年12月7日*09:30**05")},
              {kSoundPath, QStringLiteral("/home/user/.local/share/jotpin/kvz.mid")},
              {kBackColor, QStringLiteral("16761024")},
              {kCreated, QStringLiteral("26/12/07 9:5:") + i},
              {kWidth, QStringLiteral("3345")},
              {kHeight, QString::number(638 + n)},
              {kAlarmOn, n % 3 ? QStringLiteral("False") : QStringLiteral("True")},
              {kLeft, QString::number(n * 15)},
              {kTop, QString::number(n * 7)},
              {kOpacity, QStringLiteral("255")},
              {kVisible, QStringLiteral("True")},
              {kLock, n % 10 ? kNoPassword : QStringLiteral("密码") + i},
              {kRestoreHeight, QStringLiteral("638")}}});
    }
    return notes;
}

void writeAll(ProfileFile& file, const std::vector<Note>& notes) {
    for (const Note& note : notes) {
        for (const auto& [key, value] : note.keys)
            file.write(note.section, key, value);
    }
    file.write(kInitSection, kNoteCount, QString::number(kNotes));
    file.write(kInitSection, kNotesOnTop, QStringLiteral("False"));
    file.write(kInitSection, kReminderSound, QStringLiteral("True"));
    file.write(kInitSection, kAutoStart, QStringLiteral("True"));
}

double medianMicros(const std::function<void()>& work) {
    std::vector<double> times;
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(timer.nsecsElapsed() / 1000.0);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void plainWrite(const QString& path, const QByteArray& bytes, bool durable) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
    file.flush();
    if (durable) fsync(file.handle());
}

void report(const char* what, double micros, double baseMicros, const char* baseline) {
    std::printf("%-34s %9.0f us   %9.0f us %-22s ratio %5.2fx\n", what, micros, baseMicros,
                baseline, micros / baseMicros);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(kSettingsFile);
    const QString plainPath = dir.filePath(QStringLiteral("plain.dat"));
    const std::vector<Note> notes = makeNotes();

    ProfileFile seed(path);
    writeAll(seed, notes);
    if (!seed.save()) qFatal("cannot write the store");
    const QByteArray bytes = seed.content();
    std::printf("store: %d notes x 13 keys + 4, %lld bytes, median of %d runs\n\n", kNotes,
                static_cast<long long>(bytes.size()), kRuns);

    qsizetype sink = 0;
    const double plainRead = medianMicros([&] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) sink += file.readAll().size();
    });
    // A second, naive baseline: the same bytes read line by line and every value decoded,
    // with no lookup at all. It shows what merely turning the file into text costs.
    const double lineRead = medianMicros([&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) return;
        while (!file.atEnd()) {
            const QByteArray line = file.readLine();
            const qsizetype eq = line.indexOf('=');
            if (eq >= 0) sink += gbk::decode(QByteArrayView(line).sliced(eq + 1).trimmed()).size();
        }
    });
    const double read = medianMicros([&] {
        ProfileFile file(path);
        file.load();
        for (const Note& note : notes) {
            for (const auto& key : note.keys)
                sink += file.read(note.section, key.first).size();
        }
        for (const QString& key : {kNoteCount, kNotesOnTop, kReminderSound, kAutoStart})
            sink += file.read(kInitSection, key).size();
    });

    const double plainWriteUs = medianMicros([&] { plainWrite(plainPath, bytes, false); });
    const double durableWriteUs = medianMicros([&] { plainWrite(plainPath, bytes, true); });
    const double write = medianMicros([&] {
        ProfileFile file(path);
        file.load();
        writeAll(file, notes);
        if (!file.save()) qFatal("save failed");
    });
    const double serializeOnly = medianMicros([&] {
        ProfileFile file;
        file.setContent(bytes);
        writeAll(file, notes);
        sink += file.serialize().size();
    });

    report("read every key (load + 13,004 reads)", read, plainRead, "(plain read)");
    report("  same, against reading line by line", read, lineRead, "(lines, values decoded)");
    report("write every key (load+write+save)", write, durableWriteUs, "(plain write + fsync)");
    report("  same, against a write without fsync", write, plainWriteUs, "(plain write)");
    report("  codec alone (writes + serialize)", serializeOnly, plainWriteUs, "(plain write)");
    std::printf("\n(checksum %lld)\n", static_cast<long long>(sink));
    return 0;
}
