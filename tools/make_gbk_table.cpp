// Writes GBK's mapping, as Qt's ICU converter has it, as the constant tables that
// src/text/gbktable.h declares. Run by the build: make_gbk_table <output .cpp>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QStringDecoder>
#include <array>
#include <cstdio>
#include <vector>

#include "text/gbktable.h"

using namespace gbk::table;

namespace {

template <typename T>
void writeArray(QByteArray* out, const char* declaration, const T& values) {
    *out += declaration;
    *out += " = {";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i % 12 == 0) *out += "\n   ";
        *out += ' ' + QByteArray::number(uint(values[i])) + ',';
    }
    *out += "\n};\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_gbk_table <output .cpp>\n");
        return 2;
    }
    std::vector<char16_t> toUnicode(std::size_t(kLeadCount) * kTrailCount, 0);
    std::vector<std::uint16_t> fromUnicode(0x10000, 0);
    QStringDecoder decoder("GBK");
    if (!decoder.isValid()) {
        std::fprintf(stderr, "make_gbk_table: this Qt has no GBK converter (ICU)\n");
        return 1;
    }
    QByteArray line;
    for (int lead = kLeadFirst; lead <= 0xFE; ++lead) {
        // One call per lead byte: every pair followed by a line break that separates results.
        line.clear();
        for (int trail = kTrailFirst; trail <= 0xFE; ++trail)
            line.append(char(lead)).append(char(trail)).append('\n');
        const QString text = decoder.decode(line);
        const QList<QStringView> parts = QStringView(text).split(u'\n');
        for (int trail = kTrailFirst; trail <= 0xFE && trail - kTrailFirst < parts.size();
             ++trail) {
            const QStringView part = parts[trail - kTrailFirst];
            if (trail == 0x7F || part.size() != 1 || part[0] == QChar::ReplacementCharacter)
                continue;
            const char16_t u = part[0].unicode();
            toUnicode[std::size_t(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] = u;
            if (fromUnicode[u] == 0) fromUnicode[u] = std::uint16_t(lead << 8 | trail);
        }
    }
    char16_t single80 = 0;
    char16_t singleFF = 0;
    const QString singles = decoder.decode(QByteArray("\x80\n\xFF\n"));
    if (singles.size() == 4) {
        if (singles[0] != QChar::ReplacementCharacter) single80 = singles[0].unicode();
        if (singles[2] != QChar::ReplacementCharacter) singleFF = singles[2].unicode();
        if (single80 != 0 && fromUnicode[single80] == 0) fromUnicode[single80] = 0x80;
    }

    QByteArray out =
        "// Written by make_gbk_table from Qt's ICU converter: do not edit.\n"
        "#include \"text/gbktable.h\"\n\nnamespace gbk::table {\n\n";
    writeArray(&out, "const char16_t kToUnicode[kLeadCount * kTrailCount]", toUnicode);
    writeArray(&out, "const std::uint16_t kFromUnicode[0x10000]", fromUnicode);
    out += "const char16_t kSingleByte80 = " + QByteArray::number(uint(single80)) + ";\n";
    out += "const char16_t kSingleByteFF = " + QByteArray::number(uint(singleFF)) + ";\n";
    out += "\n}  // namespace gbk::table\n";
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size()) {
        std::fprintf(stderr, "make_gbk_table: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
