// Files far larger than any real store: a 50 MB settings file and 50 MB of RTF-like noise. Each
// is timed against reading the same bytes as plain text in the same run, and the settings
// file's memory is given as a multiple of its size.
#include <sys/resource.h>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>
#include <cstdio>

#include "rtf/rtf.h"
#include "store/profilefile.h"
#include "text/gbk.h"

namespace {

constexpr qsizetype kMb = 1024 * 1024;

long maxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Many sections, a section with very many keys, and long lines.
QByteArray largeSettings() {
    QByteArray big;
    big.reserve(52 * kMb);
    for (int i = 0; big.size() < 20 * kMb; ++i)
        big += "[" + QByteArray::number(i) + "]\nk=v\n";
    big += "[huge]\n";
    while (big.size() < 40 * kMb)
        big += "a=\n";
    big += "last=found\n";
    while (big.size() < 50 * kMb)
        big += QByteArray(kMb, 'x') + "\n";
    return big;
}

// Starts like RTF and goes on as random bytes, some of them RTF syntax; few closing braces,
// so that the noise is read to its end.
QByteArray rtfNoise() {
    QByteArray bytes("{\\rtf1\\ansi\\ansicpg936 ");
    const qsizetype size = 50 * kMb;
    bytes.resize(size);
    QRandomGenerator random(1234);
    static const char syntax[] = "{\\'uc0123456789abcdef \r\n";
    for (qsizetype i = 24; i < size; i += 4) {
        const quint32 r = random.generate();
        for (int k = 0; k < 4 && i + k < size; ++k) {
            const quint8 b = quint8(r >> (k * 8));
            bytes[i + k] = (b & 0x80) ? syntax[b % (sizeof syntax - 1)] : char(b);
        }
    }
    return bytes;
}

double ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;

    const QByteArray settings = largeSettings();
    const QString path = dir.filePath(QStringLiteral("tie.dat"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(settings) != settings.size())
        qFatal("cannot write %s", qPrintable(path));
    out.close();

    const long rssBefore = maxRssKb();
    QElapsedTimer timer;
    timer.start();
    store::ProfileFile file(path);
    if (!file.load()) qFatal("the settings file did not load");
    if (file.readBytes("huge", "last", "") != "found" || file.readBytes("12345", "k", "") != "v")
        qFatal("a key of the large settings file was not found");
    file.writeBytes("huge", "last", "changed");
    const QByteArray written = file.serialize();
    const double settingsMs = ms(timer);
    const double grownMb = double(maxRssKb() - rssBefore) / 1024;
    timer.restart();
    QFile plain(path);  // the baseline
    if (!plain.open(QIODevice::ReadOnly)) qFatal("cannot read %s", qPrintable(path));
    const qsizetype plainLength = QString::fromUtf8(plain.readAll()).size();
    const double plainMs = ms(timer);

    store::ProfileFile reread;
    reread.setContent(written);
    if (reread.readBytes("huge", "last", "") != "changed") qFatal("the change was not written");

    const QByteArray noise = rtfNoise();
    timer.restart();
    const qsizetype decoded = gbk::decode(noise).size();
    const double plainDocMs = ms(timer);
    timer.restart();
    QTextDocument doc;
    if (!rtf::read(noise, &doc)) qFatal("the noise was not read as RTF");
    const double noiseMs = ms(timer);

    std::printf("50 MB settings file (%lld characters)\n", static_cast<long long>(plainLength));
    std::printf(
        "  load, two reads, a write, serialize %8.1f ms   read as text %8.1f ms   "
        "ratio %5.2fx\n",
        settingsMs, plainMs, settingsMs / plainMs);
    std::printf("  memory grown %8.1f MB   = %4.2f x the file\n", grownMb,
                grownMb / (double(settings.size()) / kMb));
    std::printf("50 MB RTF noise\n");
    std::printf(
        "  rtf::read %8.1f ms   decoding it as GBK (%lld characters) %8.1f ms   "
        "ratio %5.2fx\n",
        noiseMs, static_cast<long long>(decoded), plainDocMs, noiseMs / plainDocMs);
    return 0;
}
