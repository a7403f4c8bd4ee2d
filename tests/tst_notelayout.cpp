#include <QTest>

#include "note/notelayout.h"

using namespace notelayout;

class TstNoteLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void designSizeLayout();
    void gripsFollowTheSize();
    void clamps_data();
    void clamps();
    void gripRows_data();
    void gripRows();
    void unknownGripMovesNothing();
    void offScreenWindowsComeToTheNearestScreen_data();
    void offScreenWindowsComeToTheNearestScreen();
    void newNotesStepDownAndWrapAtTheScreenEnd();
};

void TstNoteLayout::designSizeLayout() {
    const Layout l = layoutFor(223, 255);
    QCOMPARE(l.titleLabelLeft, 72);
    QCOMPARE(l.hideButtonLeft, 168);
    QCOMPARE(l.deleteButtonLeft, 192);
    QCOMPARE(l.richText, QRect(3, 25, 215, 227));
}

void TstNoteLayout::gripsFollowTheSize() {
    const Layout l = layoutFor(300, 200);
    QCOMPARE(l.grips[Left], QRect(0, 10, 5, 140));
    QCOMPARE(l.grips[Right], QRect(295, 10, 5, 140));
    QCOMPARE(l.grips[Top], QRect(19, -5, 261, 8));
    QCOMPARE(l.grips[Bottom], QRect(19, 195, 261, 5));
    QCOMPARE(l.grips[BottomRight], QRect(289, 189, 11, 11));
    QCOMPARE(l.grips[BottomLeft], QRect(0, 189, 11, 11));
    QCOMPARE(l.grips[TopRight], QRect(289, 0, 11, 11));
    QCOMPARE(l.grips[TopLeft], QRect(0, 0, 11, 11));
}

void TstNoteLayout::clamps_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<int>("expectedWidth");
    QTest::addColumn<int>("expectedHeight");
    QTest::newRow("valid") << 4000 << 2000 << false << 4000 << 2000;
    QTest::newRow("narrow") << 3000 << 2000 << false << 3345 << 2000;
    QTest::newRow("low") << 4000 << 600 << false << 4000 << 638;
    QTest::newRow("negative") << -10 << -10 << false << 3345 << 638;
    QTest::newRow("locked is pinned") << 4000 << 5000 << true << 4000 << 638;
    QTest::newRow("exact minimum") << 3345 << 638 << false << 3345 << 638;
}

void TstNoteLayout::clamps() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, locked);
    const SizeTwips s = clampSize({width, height}, locked);
    QTEST(s.width, "expectedWidth");
    QTEST(s.height, "expectedHeight");
}

void TstNoteLayout::gripRows_data() {
    QTest::addColumn<int>("grip");
    QTest::addColumn<QRectF>("expected");  // left, top, width, height in twips
    // Window at 1000,2000 sized 4000x3000; the cursor travels (+10, -4) pixels.
    QTest::newRow("left") << int(Left) << QRectF(1150, 2000, 3850, 3000);
    QTest::newRow("right") << int(Right) << QRectF(1000, 2000, 4150, 3000);
    QTest::newRow("top") << int(Top) << QRectF(1000, 1940, 4000, 3060);
    QTest::newRow("bottom") << int(Bottom) << QRectF(1000, 2000, 4000, 2940);
    QTest::newRow("bottom-right") << int(BottomRight) << QRectF(1000, 2000, 4150, 2940);
    QTest::newRow("bottom-left") << int(BottomLeft) << QRectF(1150, 2000, 3850, 2940);
    QTest::newRow("top-right") << int(TopRight) << QRectF(1000, 1940, 4150, 3060);
    QTest::newRow("top-left") << int(TopLeft) << QRectF(1150, 1940, 3850, 3060);
}

void TstNoteLayout::gripRows() {
    QFETCH(int, grip);
    QFETCH(QRectF, expected);
    const auto g = resizeByGrip({1000, 2000, 4000, 3000}, QPoint(50, 50), QPoint(60, 46), grip);
    QVERIFY(g);
    QCOMPARE(QRectF(g->left, g->top, g->width, g->height), expected);
}

void TstNoteLayout::unknownGripMovesNothing() {
    QVERIFY(!resizeByGrip({0, 0, 4000, 3000}, QPoint(0, 0), QPoint(5, 5), 8));
    QVERIFY(!resizeByGrip({0, 0, 4000, 3000}, QPoint(0, 0), QPoint(5, 5), -1));
}

void TstNoteLayout::offScreenWindowsComeToTheNearestScreen_data() {
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QPoint>("shown");
    // Two screens side by side: 0..1279 and 1280..2559, 1024 high.
    QTest::newRow("on a screen") << QRect(100, 100, 223, 255) << QPoint(100, 100);
    QTest::newRow("across both") << QRect(1200, 100, 223, 255) << QPoint(1200, 100);
    QTest::newRow("title strip barely out") << QRect(1270, -20, 223, 255) << QPoint(1280, 0);
    QTest::newRow("right of both") << QRect(4000, 300, 223, 255) << QPoint(2337, 300);
    QTest::newRow("above the left") << QRect(-500, -900, 223, 255) << QPoint(0, 0);
    QTest::newRow("below the right") << QRect(2000, 1100, 223, 255) << QPoint(2000, 769);
    QTest::newRow("larger than the screen") << QRect(-3000, 50, 3000, 2000) << QPoint(0, 0);
}

void TstNoteLayout::offScreenWindowsComeToTheNearestScreen() {
    QFETCH(QRect, window);
    QFETCH(QPoint, shown);
    const QList<QRect> screens = {QRect(0, 0, 1280, 1024), QRect(1280, 0, 1280, 1024)};
    QCOMPARE(notelayout::reachablePlace(window, 27, screens), shown);
    QCOMPARE(notelayout::reachablePlace(window, 27, {}), window.topLeft());
}

void TstNoteLayout::newNotesStepDownAndWrapAtTheScreenEnd() {
    using notelayout::freePlace;
    const QPoint place(9000, 0);
    QCOMPARE(freePlace(place, 400, 2000, {QPoint(0, 0)}), place);
    // A note near enough to be hidden (its title strip less than a step away) takes a place.
    QCOMPARE(freePlace(place, 400, 2000, {QPoint(9100, 300)}), QPoint(9000, 800));
    QCOMPARE(freePlace(place, 400, 2000, {place, QPoint(9000, 400)}), QPoint(9000, 800));
    // At the screen's end, back to the top, where a gap was left.
    QCOMPARE(freePlace(QPoint(9000, 1200), 400, 2000,
                       {QPoint(9000, 1200), QPoint(9000, 1600), QPoint(9000, 400)}),
             QPoint(9000, 0));
    // Every place taken: the first one; no step at all: no search.
    QList<QPoint> full;
    for (int y = 0; y < 2000; y += 400)
        full.append(QPoint(9000, y));
    QCOMPARE(freePlace(place, 400, 2000, full), place);
    QCOMPARE(freePlace(place, 0, 2000, {place}), place);
}

QTEST_GUILESS_MAIN(TstNoteLayout)
#include "tst_notelayout.moc"
