// Loading 500 stored notes until every one is shown, and saving them, against plain Qt windows
// with the same text and plain file I/O of the same bytes, measured in the same run.
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "app/application.h"
#include "note/notewindow.h"
#include "platform/apppaths.h"
#include "richtext/fonts.h"
#include "richtext/richtextbox.h"
#include "rtf/rtf.h"
#include "store/notestore.h"
#include "store/profilefile.h"
#include "store/storekeys.h"
#include "text/gbk.h"

using namespace store::keys;

namespace {

constexpr int kNotes = 500;

long rssKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').front().toLong();
    }
    return 0;
}

// About 2 KB of RichEdit RTF: GBK text in runs of bold, italic and colour, three paragraphs.
QByteArray content(int n, QString* plain) {
    QByteArray body;
    plain->clear();
    for (int p = 0; p < 3; ++p) {
        for (int run = 0; run < 6; ++run) {
            const QString text =
                QStringLiteral("第%1张帖子的第%2段，格式%3。Note %1 text ").arg(n).arg(p).arg(run);
            *plain += text;
            QByteArray hex;
            for (char c : gbk::encode(text)) {
                const auto b = static_cast<unsigned char>(c);
                hex += b < 0x80 ? QByteArray(1, c) : "\\'" + QByteArray::number(b, 16);
            }
            const char* format = run % 3 == 0 ? "\\b " : run % 3 == 1 ? "\\i\\cf1 " : "\\ul ";
            body += QByteArray("{") + format + hex + "}";
        }
        body += "\\par\r\n";
        *plain += u'\n';
    }
    return "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 "
           "\\'cb\\'ce\\'cc\\'e5;}}"
           "{\\colortbl ;\\red255\\green0\\blue0;}\r\n\\viewkind4\\uc1\\pard\\f0\\fs18 " +
           body + "}\r\n";
}

void writeStore(const QString& dir, QStringList* plainTexts) {
    QDir().mkpath(dir + QStringLiteral("/tie"));
    store::ProfileFile file(dir + QStringLiteral("/tie.dat"));
    for (int n = 1; n <= kNotes; ++n) {
        const QString s = noteSection(n);
        file.write(s, kWidth, QStringLiteral("3345"));
        file.write(s, kHeight, QStringLiteral("2400"));
        file.write(s, kLeft, QString::number((n % 40) * 300));
        file.write(s, kTop, QString::number((n / 40) * 600));
        file.write(s, kCreated, QStringLiteral("26/12/07 9:5:3"));
        QString plain;
        QFile f(dir + QStringLiteral("/tie/tie%1.tie").arg(n));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the store");
        f.write(content(n, &plain));
        plainTexts->append(plain);
    }
    file.write(kInitSection, kNoteCount, QString::number(kNotes));
    file.write(kInitSection, kNotesOnTop, QStringLiteral("False"));
    if (!file.save()) qFatal("cannot write the store");
}

QByteArray allStoreBytes(const QString& dir) {
    QByteArray bytes;
    QFile settings(dir + QStringLiteral("/tie.dat"));
    if (settings.open(QIODevice::ReadOnly)) bytes += settings.readAll();
    for (int n = 1; n <= kNotes; ++n) {
        QFile f(dir + QStringLiteral("/tie/tie%1.tie").arg(n));
        if (f.open(QIODevice::ReadOnly)) bytes += f.readAll();
    }
    return bytes;
}

// Bytes of heap in use: what malloc handed out and did not get back.
double heapKb() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / 1024;
}

// CPU time of the process so far, user and system, in milliseconds.
double cpuMs() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

// The longest the event loop went without running a 1 ms timer, over `spanMs` of running it.
double longestStallMs(int spanMs) {
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worst = std::max(worst, now - last);
        last = now;
    });
    QEventLoop loop;
    QTimer::singleShot(spanMs, &loop, &QEventLoop::quit);
    clock.start();
    tick.start();
    loop.exec();
    return worst / 1e6;
}

QDateTime modified(const QString& path) {
    return QFileInfo(path).lastModified();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    fonts::installSubstitutes();
    QTemporaryDir dir;
    QStringList plainTexts;
    writeStore(dir.path(), &plainTexts);
    paths::overrideProgram(dir.path(), QStringLiteral("jotpin"));

    // Baselines: top-level text windows of the note's size with the same plain text, and with
    // the same formatted text given as HTML.
    QStringList htmlTexts;
    for (int n = 1; n <= kNotes; ++n) {
        QFile f(dir.path() + QStringLiteral("/tie/tie%1.tie").arg(n));
        QTextDocument doc;
        if (f.open(QIODevice::ReadOnly)) rtf::read(f.readAll(), &doc);
        htmlTexts.append(doc.toHtml());
    }
    long rssPlain = 0;
    double heapPlain = 0;
    double cpuPlain = 0;
    auto windowsWith = [&](const QStringList& texts, bool html) {
        const long rssStart = rssKb();
        const double heapStart = heapKb();
        const double cpuStart = cpuMs();
        QElapsedTimer timer;
        timer.start();
        QList<QTextEdit*> edits;
        for (int n = 0; n < texts.size(); ++n) {
            auto* edit = new QTextEdit();
            edit->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
            if (html)
                edit->setHtml(texts[n]);
            else
                edit->setPlainText(texts[n]);
            edit->setGeometry((n % 40) * 20, (n / 40) * 40, 223, 160);
            edit->show();
            edits.append(edit);
        }
        QApplication::processEvents();
        const double elapsed = ms(timer);
        if (!html) {
            rssPlain = rssKb() - rssStart;  // an upper bound: freed memory is reused
            heapPlain = heapKb() - heapStart;
            cpuPlain = cpuMs() - cpuStart;
        }
        qDeleteAll(edits);
        QApplication::processEvents();
        return elapsed;
    };
    // Warm the font and style caches so that neither side pays for them alone. The notes are
    // loaded first so that their memory is not taken from what the baselines freed.
    windowsWith(QStringList(htmlTexts.mid(0, 20)), true);
    const long rssBefore = rssKb();
    const double heapBefore = heapKb();
    const double cpuBefore = cpuMs();
    QElapsedTimer timer;
    timer.start();
    auto* program = new Application();
    program->startUp();
    QApplication::processEvents();
    const double loadMs = ms(timer);
    const double loadCpuMs = cpuMs() - cpuBefore;
    const long rssAfter = rssKb();
    const double heapAfter = heapKb();
    if (program->noteList().entries().size() != kNotes)
        qFatal("loaded %d notes", int(program->noteList().entries().size()));
    const double plainLoadMs = windowsWith(plainTexts, false);
    const double htmlLoadMs = windowsWith(htmlTexts, true);

    timer.restart();
    if (!program->saveAll(nullptr, Application::SaveScope::All)) qFatal("save failed");
    const double saveMs = ms(timer);

    // Baseline: the same bytes written with plain file I/O, file by file, also flushed to disk.
    const QByteArray bytes = allStoreBytes(dir.path());
    const QString plainDir = dir.filePath(QStringLiteral("plain"));
    QDir().mkpath(plainDir);
    const qsizetype perFile = bytes.size() / (kNotes + 1);
    timer.restart();
    for (int n = 0; n <= kNotes; ++n) {
        QFile f(plainDir + QStringLiteral("/f%1").arg(n));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write");
        f.write(bytes.constData() + n * perFile,
                n == kNotes ? bytes.size() - n * perFile : perFile);
        f.flush();
        fsync(f.handle());
    }
    const double plainSaveMs = ms(timer);

    // A one-character change to one note, saved by autosave, against the same time idle.
    const double idleStall = longestStallMs(3000);
    const QString first = dir.filePath(QStringLiteral("tie/tie1.tie"));
    const QString changed = dir.filePath(QStringLiteral("tie/tie250.tie"));
    const QDateTime firstBefore = modified(first);
    const QDateTime changedBefore = modified(changed);
    QThread::msleep(20);  // file times tell the save apart
    NoteWindow* note = program->notes().windowFor(*program->noteList().entries().at(249));
    note->editor()->textCursor().insertText(QStringLiteral("x"));
    const double saveStall = longestStallMs(3000);
    if (modified(changed) == changedBefore) qFatal("the changed note was not saved");
    if (modified(first) != firstBefore) qFatal("an unchanged note was written");

    std::printf("%d notes, %lld bytes in the store (platform %s)\n\n", kNotes,
                static_cast<long long>(bytes.size()), qPrintable(QGuiApplication::platformName()));
    std::printf("load until shown   %8.1f ms   plain QTextEdit windows %8.1f ms   ratio %5.2fx\n",
                loadMs, plainLoadMs, loadMs / plainLoadMs);
    std::printf(
        "                                  same with formatted HTML %7.1f ms   ratio %5.2fx\n",
        htmlLoadMs, loadMs / htmlLoadMs);
    std::printf("save               %8.1f ms   plain writes + fsync    %8.1f ms   ratio %5.2fx\n",
                saveMs, plainSaveMs, saveMs / plainSaveMs);
    std::printf("load, CPU time     %8.1f ms   plain QTextEdit windows %8.1f ms   ratio %5.2fx\n",
                loadCpuMs, cpuPlain, loadCpuMs / cpuPlain);
    std::printf(
        "longest stall      %8.1f ms   idle, same time          %8.1f ms   "
        "(one character changed, autosave)\n",
        saveStall, idleStall);
    std::printf("memory per note    %8.1f KB   plain QTextEdit window  %8.1f KB\n",
                double(rssAfter - rssBefore) / kNotes, double(rssPlain) / kNotes);
    std::printf("heap per note      %8.1f KB   plain QTextEdit window  %8.1f KB   ratio %5.2fx\n",
                (heapAfter - heapBefore) / kNotes, heapPlain / kNotes,
                (heapAfter - heapBefore) / heapPlain);
    program->windows().closeAll();
    return 0;
}
