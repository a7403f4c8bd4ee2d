// A text of tens of megabytes going into a note: opened as a text file, pasted, captured from
// the clipboard, undone and redone, against loading the same text as RTF in the same run. Each
// way is timed until the note is shown, then a key press is timed while the rest is laid out in
// the background, with the longest wait between two events meanwhile.
//
// bench_hugetext [megabytes]   (50 by default)
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "richtext/richtextbox.h"
#include "text/textfile.h"

namespace {

constexpr qsizetype kMb = 1024 * 1024;
// A layout that has not finished by then counts as stuck: the figure says so and the run goes on.
constexpr qint64 kLayoutLimitMs = 180'000;

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

// One paragraph of words, or short lines.
QByteArray sample(qsizetype bytes, bool lines) {
    const QByteArray unit = lines ? QByteArray("a short line of text, one of many\n")
                                  : QByteArray("lorem ipsum dolor sit amet ");
    QByteArray text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes)
        text += unit;
    text.truncate(bytes);
    return text;
}

// The same text as the RTF a note file holds.
QByteArray asRtf(const QByteArray& text) {
    QByteArray rtf("{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0 SimSun;}}\\f0\\fs18 ");
    rtf.reserve(text.size() * 11 / 10 + 100);
    for (char c : text) {
        if (c == '\n')
            rtf += "\\par\n";
        else
            rtf += c;
    }
    rtf += "}";
    return rtf;
}

bool laidOutToEnd(const RichTextBox& box) {
    return box.document()->lastBlock().layout()->lineCount() > 0;
}

struct Figures {
    double shownMs = 0;
    double keyMs = 0;
    double longestWaitMs = 0;
    double laidOutMs = -1;  // stuck when negative
    double keyAfterMs = 0;
};

Figures measure(const std::function<void(RichTextBox&)>& fill) {
    Figures f;
    RichTextBox box;
    box.resize(300, 250);
    box.show();
    if (!QTest::qWaitForWindowExposed(&box)) qFatal("the editor was not shown");
    box.replaceText(QStringLiteral("创建：26/01/01 9:00:00\r\n"));
    box.setFocus();
    QElapsedTimer timer;
    timer.start();
    fill(box);
    box.viewport()->grab();  // painted as the screen would paint it
    f.shownMs = ms(timer);
    QElapsedTimer key;
    key.start();
    QTest::keyClick(&box, Qt::Key_X);
    box.viewport()->grab();
    f.keyMs = ms(key);
    QElapsedTimer wait;
    while (!laidOutToEnd(box) && ms(timer) < kLayoutLimitMs) {
        wait.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        f.longestWaitMs = std::max(f.longestWaitMs, ms(wait));
        if (!laidOutToEnd(box)) QThread::msleep(1);
    }
    if (laidOutToEnd(box)) f.laidOutMs = ms(timer);
    key.start();
    QTest::keyClick(&box, Qt::Key_Y);
    box.viewport()->grab();
    f.keyAfterMs = ms(key);
    return f;
}

void print(const char* what, const Figures& f, const Figures& baseline) {
    std::printf("  %-22s shown %8.0f ms (%5.2fx)  key %6.0f ms  longest wait %6.0f ms  ", what,
                f.shownMs, f.shownMs / baseline.shownMs, f.keyMs, f.longestWaitMs);
    if (f.laidOutMs < 0)
        std::printf("laid out: not within %lld s", static_cast<long long>(kLayoutLimitMs / 1000));
    else
        std::printf("laid out %8.0f ms", f.laidOutMs);
    std::printf("  key then %5.0f ms\n", f.keyAfterMs);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qsizetype megabytes = argc > 1 ? std::atoll(argv[1]) : 50;
    for (bool lines : {false, true}) {
        const QByteArray bytes = sample(megabytes * kMb, lines);
        const QByteArray rtf = asRtf(bytes);
        std::printf("%lld MB of text as %s; ratios to loading it as RTF\n",
                    static_cast<long long>(megabytes), lines ? "short lines" : "one paragraph");
        std::fflush(stdout);
        const Figures baseline = measure([&](RichTextBox& box) {
            if (!box.loadRtf(rtf)) qFatal("the RTF did not load");
        });
        print("RTF load (baseline)", baseline, baseline);
        print("open as a text file",
              measure([&](RichTextBox& box) { box.replaceText(textfile::decode(bytes)); }),
              baseline);
        const QString text = QString::fromUtf8(bytes);
        QGuiApplication::clipboard()->setText(text);
        print("paste", measure([&](RichTextBox& box) { box.paste(); }), baseline);
        print("capture", measure([&](RichTextBox& box) { box.appendText(text); }), baseline);
        print("paste, undo, redo", measure([&](RichTextBox& box) {
                  box.paste();
                  box.undoHoldingLayout();
                  box.redoHoldingLayout();
              }),
              baseline);
    }
    return 0;
}
