// A save after the first note was deleted, when every later note moves down a number: with its
// one commit point, the files that hold the notes are given their new numbers. The baseline
// writes every note's RTF file by file, each replaced atomically on its own, as saves did
// before they had a journal.
// Usage: bench_save [notes...]   (default 500 5000)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/files.h"
#include "rtf/rtf.h"
#include "store/notestore.h"
#include "store/profilefile.h"

namespace {

constexpr int kRuns = 5;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QByteArray(argv[i]).toInt());
    if (counts.isEmpty()) counts = {500, 5000};

    for (const int count : counts) {
        std::vector<std::unique_ptr<QTextDocument>> texts;
        QList<store::NoteToSave> notes;
        for (int n = 1; n <= count; ++n) {
            texts.push_back(std::make_unique<QTextDocument>(
                QStringLiteral("Note %1: buy milk, call the office, 会议在三点。").arg(n)));
            notes.append({Note{},
                          std::make_shared<const rtf::Snapshot>(rtf::capture(*texts.back())),
                          n + 1});
        }
        std::vector<double> saves, plain;
        for (int run = 0; run < kRuns; ++run) {
            QTemporaryDir dir;
            QList<store::NoteToSave> first = notes;
            first.prepend({Note{}, notes.front().content, 0});
            for (int n = 1; n <= count; ++n)
                first[n].storedAs = 0;
            if (!store::saveStore(dir.path(), Switches{}, first)) qFatal("the first save failed");
            QElapsedTimer timer;
            timer.start();
            if (!store::saveStore(dir.path(), Switches{}, notes)) qFatal("the save failed");
            saves.push_back(timer.nsecsElapsed() / 1e6);

            QTemporaryDir baseDir;
            timer.restart();
            store::ProfileFile settings(baseDir.filePath(QStringLiteral("tie.dat")));
            QFile::copy(store::settingsFilePath(dir.path()), settings.path());
            settings.load();
            QDir().mkpath(baseDir.filePath(QStringLiteral("tie")));
            for (int n = 1; n <= count; ++n) {
                if (!files::writeAtomically(store::contentFilePath(baseDir.path(), n),
                                            rtf::write(*texts[n - 1]), nullptr))
                    qFatal("a plain write failed");
            }
            settings.write(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"));
            if (!settings.save()) qFatal("the plain settings write failed");
            plain.push_back(timer.nsecsElapsed() / 1e6);
        }
        const double s = median(saves), p = median(plain);
        std::printf(
            "%5d notes: save with one commit point %8.1f ms   file by file %8.1f ms   "
            "ratio %5.2fx   (median of %d)\n",
            count, s, p, s / p, kRuns);
    }
    return 0;
}
