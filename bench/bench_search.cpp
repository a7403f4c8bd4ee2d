// A search of every note from the note list, keystroke by keystroke, at 5,000 notes of about
// 2 KB: the list filtered and drawn again, against a plain case-sensitive substring scan of the
// same texts, measured in the same run.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "dialogs/notelistdialog.h"
#include "notes/notelist.h"

namespace {

// About 2 KB of words, Chinese and Latin, some in full width; one note in 50 holds the words
// searched for.
QString noteText(int n, QRandomGenerator& random) {
    static const QStringList words = {
        QStringLiteral("明天"),    QStringLiteral("开会"),    QStringLiteral("买菜"),
        QStringLiteral("电话"),    QStringLiteral("报告"),    QStringLiteral("meeting"),
        QStringLiteral("Report"),  QStringLiteral("ＡＰＩ"),  QStringLiteral("milk"),
        QStringLiteral("bread"),   QStringLiteral("project"), QStringLiteral("２０２６"),
        QStringLiteral("invoice"), QStringLiteral("周五"),    QStringLiteral("draft")};
    QString text = QStringLiteral("创建：26/12/09 9:%1:0\r\n").arg(n % 60);
    if (n % 50 == 0) text += QStringLiteral("Dentist on ＴＵＥＳＤＡＹ at 10, ");
    while (text.size() < 1000)  // 1,000 UTF-16 units: about 2 KB
        text += words[random.bounded(words.size())] + (random.bounded(8) == 0 ? u"\r\n" : u" ");
    return text;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, atoi(argv[1])) : 5000;
    const quint32 seed = argc > 2 ? quint32(atoi(argv[2])) : 1;
    std::printf("%d notes, seed %u\n", count, seed);
    QRandomGenerator random(seed);

    NoteList notes;
    QStringList texts;
    for (int n = 1; n <= count; ++n) {
        NoteEntry* note = notes.add();
        texts.append(noteText(n, random));
        note->document()->replaceText(texts.back());
        note->state().setIdentity(QStringLiteral("26/12/09 9:0:%1").arg(n % 60),
                                  note->state().values().uid);
    }

    QElapsedTimer clock;
    clock.start();
    NoteListDialog list(notes.entries());
    list.show();
    QApplication::processEvents();
    std::printf("list opened in %.1f ms (the notes' texts read once)\n",
                clock.nsecsElapsed() / 1e6);

    const QString typed = QStringLiteral("tuesday dentist");
    std::vector<double> ours, scan, ratios;
    int found = 0;
    int scanned = 0;
    for (int round = 0; round < 5; ++round) {
        list.searchField->clear();
        QApplication::processEvents();
        for (qsizetype end = 1; end <= typed.size(); ++end) {
            const QString prefix = typed.first(end);
            clock.restart();
            list.searchField->setText(prefix);
            QApplication::processEvents();  // laid out and drawn
            const double oursMs = clock.nsecsElapsed() / 1e6;

            // The floor: each text scanned once for what was typed, as it stands.
            clock.restart();
            scanned = 0;
            for (const QString& text : texts)
                scanned += text.contains(prefix) ? 1 : 0;
            const double scanMs = clock.nsecsElapsed() / 1e6;
            ours.push_back(oursMs);
            scan.push_back(scanMs);
            ratios.push_back(oursMs / std::max(scanMs, 0.001));
        }
    }
    for (int row = 0; row < list.list->count(); ++row)
        found += list.list->isRowHidden(row) ? 0 : 1;
    std::printf("\"%s\": %d of %d notes found (the scan finds %d: case and width apart)\n",
                qPrintable(typed), found, count, scanned);
    std::printf(
        "per keystroke, median of %zu: search and list %.2f ms (worst %.2f), plain scan "
        "%.2f ms; ratio %.2f (median of the keystrokes' ratios %.2f)\n",
        ours.size(), median(ours), *std::max_element(ours.begin(), ours.end()), median(scan),
        median(ours) / std::max(median(scan), 0.001), median(ratios));
    return 0;
}
