#include <optional>

#include <QTest>

#include "notes/textfind.h"
#include "text/links.h"
#include "text/textsearch.h"

using textfind::Span;

Q_DECLARE_METATYPE(Span)
Q_DECLARE_METATYPE(std::optional<int>)
Q_DECLARE_METATYPE(std::optional<Span>)
Q_DECLARE_METATYPE(std::optional<textsearch::Hit>)

namespace {
constexpr std::nullopt_t none = std::nullopt;
}

class Tst_textfind : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void linksAreAddressesNotLookalikes_data();
    void linksAreAddressesNotLookalikes();
    void searchRange_data();
    void searchRange();
    void find_data();
    void find();
    void searchAcrossNotes_data();
    void searchAcrossNotes();
};

void Tst_textfind::searchRange_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<Span>("selection");
    QTest::addColumn<std::optional<int>>("start");
    QTest::addColumn<std::optional<int>>("end");
    QTest::addColumn<Span>("expected");

    const std::optional<int> no;
    QTest::newRow("no selection: whole text") << 10 << Span{4, 0} << no << no << Span{0, 10};
    QTest::newRow("selection only") << 10 << Span{2, 5} << no << no << Span{2, 5};
    QTest::newRow("end: from insertion point")
        << 10 << Span{4, 0} << no << std::optional(8) << Span{4, 4};
    QTest::newRow("end: from selection start")
        << 10 << Span{4, 3} << no << std::optional(10) << Span{4, 6};
    QTest::newRow("end past text clamped")
        << 6 << Span{2, 0} << no << std::optional(8) << Span{2, 4};
    QTest::newRow("insertion point at end")
        << 6 << Span{6, 0} << no << std::optional(6) << Span{6, 0};
    QTest::newRow("end before insertion point")
        << 10 << Span{7, 0} << no << std::optional(3) << Span{7, 0};
    QTest::newRow("start only: to end of text")
        << 10 << Span{1, 2} << std::optional(3) << no << Span{3, 7};
    QTest::newRow("start and end")
        << 10 << Span{0, 0} << std::optional(2) << std::optional(5) << Span{2, 3};
    QTest::newRow("negative start clamped")
        << 10 << Span{0, 0} << std::optional(-4) << std::optional(3) << Span{0, 3};
    QTest::newRow("empty text") << 0 << Span{0, 0} << no << no << Span{0, 0};
    QTest::newRow("stale selection past text") << 4 << Span{3, 5} << no << no << Span{3, 1};
}

void Tst_textfind::searchRange() {
    QFETCH(int, length);
    QFETCH(Span, selection);
    QFETCH(std::optional<int>, start);
    QFETCH(std::optional<int>, end);
    QFETCH(Span, expected);
    const Span got = textfind::searchRange(length, selection, start, end);
    QCOMPARE(got.start, expected.start);
    QCOMPARE(got.length, expected.length);
}

void Tst_textfind::find_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<Span>("selection");
    QTest::addColumn<std::optional<int>>("end");
    QTest::addColumn<std::optional<Span>>("expected");

    const std::optional<int> no;
    const std::optional<Span> miss;
    QTest::newRow("first of two, caret anywhere")
        << "abcabc"
        << "bc" << Span{5, 0} << no << std::optional(Span{1, 2});
    QTest::newRow("selected match found again")
        << "abcabc"
        << "bc" << Span{1, 2} << no << std::optional(Span{1, 2});
    QTest::newRow("stays inside longer selection")
        << "abcabcabc"
        << "bc" << Span{3, 4} << no << std::optional(Span{4, 2});
    QTest::newRow("match crossing selection end") << "abcabc"
                                                  << "bc" << Span{3, 2} << no << miss;
    QTest::newRow("letter case ignored") << "xxabcxx"
                                         << "ABC" << Span{0, 0} << no << std::optional(Span{2, 3});
    QTest::newRow("full and half width alike") << QStringLiteral("会议ＡＢＣ，abc") << "abc"
                                               << Span{0, 0} << no << std::optional(Span{2, 3});
    QTest::newRow("Chinese text") << QStringLiteral("今天开会，明天开会") << QStringLiteral("开会")
                                  << Span{3, 0} << std::optional(9) << std::optional(Span{7, 2});
    QTest::newRow("not a whole word") << "concatenate"
                                      << "cat" << Span{0, 0} << no << std::optional(Span{3, 3});
    QTest::newRow("end: from caret")
        << "abcabc"
        << "bc" << Span{4, 0} << std::optional(6) << std::optional(Span{4, 2});
    QTest::newRow("end: match must end before end")
        << "abcabc"
        << "bc" << Span{4, 0} << std::optional(5) << miss;
    QTest::newRow("end: caret past match") << "abab"
                                           << "ab" << Span{3, 0} << std::optional(4) << miss;
    QTest::newRow("empty needle") << "abc"
                                  << "" << Span{0, 0} << no << miss;
    QTest::newRow("empty text") << ""
                                << "a" << Span{0, 0} << no << miss;
    QTest::newRow("needle longer than text") << "ab"
                                             << "abc" << Span{0, 0} << no << miss;
    QTest::newRow("across paragraph break")
        << "ab\ncd"
        << "b\nc" << Span{0, 0} << no << std::optional(Span{1, 3});
}

void Tst_textfind::find() {
    QFETCH(QString, text);
    QFETCH(QString, needle);
    QFETCH(Span, selection);
    QFETCH(std::optional<int>, end);
    QFETCH(std::optional<Span>, expected);
    const std::optional<Span> got = textfind::find(text, needle, selection, none, end);
    QCOMPARE(got.has_value(), expected.has_value());
    if (got) {
        QCOMPARE(got->start, expected->start);
        QCOMPARE(got->length, expected->length);
    }
}

void Tst_textfind::searchAcrossNotes_data() {
    using textsearch::Hit;
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<std::optional<Hit>>("expected");
    const std::optional<Hit> none;
    // The earliest of the words is the hit, whatever the order typed.
    QTest::newRow("words in any order") << "buy milk and bread"
                                        << "bread milk" << std::optional(Hit{4, 4});
    QTest::newRow("every word must occur") << "buy milk"
                                           << "milk eggs" << none;
    QTest::newRow("letters without case") << "HELLO world"
                                          << "hello WORLD" << std::optional(Hit{0, 5});
    QTest::newRow("full width typed, half in the text")
        << "Meeting at 10"
        << "ｍｅｅｔｉｎｇ　１０" << std::optional(Hit{0, 7});
    QTest::newRow("half width typed, full in the text") << "会议ＡＢＣ１２３"
                                                        << "abc123" << std::optional(Hit{2, 6});
    QTest::newRow("ideographic space splits words") << "甲乙丙丁"
                                                    << "丁　甲" << std::optional(Hit{0, 1});
    QTest::newRow("Chinese as typed") << "明天开会"
                                      << "开会" << std::optional(Hit{2, 2});
    QTest::newRow("units beyond the BMP keep positions") << "😀Ab"
                                                         << "ab" << std::optional(Hit{2, 2});
    QTest::newRow("blanks alone match all") << "anything"
                                            << " \t　" << std::optional(Hit{});
    QTest::newRow("nothing in an empty text") << ""
                                              << "a" << none;
}

void Tst_textfind::searchAcrossNotes() {
    QFETCH(QString, text);
    QFETCH(QString, typed);
    QFETCH(std::optional<textsearch::Hit>, expected);
    QCOMPARE(textsearch::fold(text).size(), text.size());
    QCOMPARE(textsearch::firstHit(textsearch::Text(text), textsearch::Query(typed)), expected);
}

void Tst_textfind::linksAreAddressesNotLookalikes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");  // each link as written, then what it opens
    const auto links = [](std::initializer_list<const char*> l) {
        QStringList list;
        for (const char* s : l)
            list << QString::fromUtf8(s);
        return list;
    };
    QTest::newRow("web, sentence's end")
        << QStringLiteral("see https://example.org/a?b=1.")
        << links({"https://example.org/a?b=1", "https://example.org/a?b=1"});
    QTest::newRow("www") << QStringLiteral("在www.example.org/路径，然后")
                         << links({"www.example.org/路径", "http://www.example.org/路径"});
    QTest::newRow("bracketed") << QStringLiteral("(https://x.org/wiki/A_(b)) and (http://y.org)")
                               << links({"https://x.org/wiki/A_(b)", "https://x.org/wiki/A_(b)",
                                         "http://y.org", "http://y.org"});
    QTest::newRow("mail") << QStringLiteral("写信给 li.ming+notes@mail.example.cn。")
                          << links({"li.ming+notes@mail.example.cn",
                                    "mailto:li.ming+notes@mail.example.cn"});
    QTest::newRow("file") << QStringLiteral("file:///home/me/清单.txt")
                          << links({"file:///home/me/清单.txt", "file:///home/me/清单.txt"});
    QTest::newRow("user in a web address")
        << QStringLiteral("https://me@host.org/x")
        << links({"https://me@host.org/x", "https://me@host.org/x"});
    QTest::newRow("lookalikes") << QStringLiteral("v1.2.3 at 12:30, notes.txt, a@b, www., 3.14")
                                << QStringList();
    QTest::newRow("inside a word") << QStringLiteral("xhttps://a.org awww.b.org") << QStringList();
}

void Tst_textfind::linksAreAddressesNotLookalikes() {
    QFETCH(QString, text);
    QFETCH(QStringList, found);
    QStringList got;
    for (const links::Link& link : links::in(text))
        got << text.mid(link.start, link.length) << link.url.toString();
    QCOMPARE(got, found);
    if (found.isEmpty()) return;
    const links::Link first = links::in(text).first();
    QVERIFY(links::at(text, first.start) && links::at(text, first.end() - 1));
    QVERIFY(!links::at(text, first.start - 1) && !links::at(text, first.end()));
}

QTEST_APPLESS_MAIN(Tst_textfind)
#include "tst_textfind.moc"
