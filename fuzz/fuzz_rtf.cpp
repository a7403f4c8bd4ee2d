// Reads arbitrary bytes as RTF, writes the result and reads that again.
//   build-fuzz/fuzz/fuzz_rtf -rss_limit_mb=2048 -max_len=100000 corpus-dir ../shared/rtf-corpus

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "rtf/rtf.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Image decoders complain about every broken picture: keep the output readable.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument doc;
    if (!rtf::read(bytes, &doc)) return 0;
    const QString text = doc.toPlainText();
    const QByteArray written = rtf::write(doc);
    QTextDocument again;
    if (!rtf::read(written, &again)) std::abort();
    // What we write must read back to the same text.
    if (again.toPlainText() != text) {
        std::fprintf(stderr, "text before: %s\ntext after:  %s\n",
                     text.toUtf8().toPercentEncoding(" ").constData(),
                     again.toPlainText().toUtf8().toPercentEncoding(" ").constData());
        if (FILE* f = std::fopen("fuzz-rtf-written.rtf", "wb")) {
            std::fwrite(written.constData(), 1, size_t(written.size()), f);
            std::fclose(f);
        }
        std::abort();
    }
    return 0;
}
