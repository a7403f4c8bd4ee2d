#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "sandbox.h"

#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/forms.h"
#include "platform/prompts.h"
#include "platform/screen.h"
#include "platform/units.h"

namespace {

// A form that records its unload, like a window whose unload handler saves something.
QStringList g_log;

class ProbeForm : public Form {
public:
    explicit ProbeForm(QString name) : m_log(&g_log), m_name(std::move(name)) {}

protected:
    void Form_Unload() override {
        // While its handler runs, the form is still a member.
        m_log->append(m_name + u'@' + QString::number(Forms::indexOf(this)));
    }

private:
    QStringList* m_log;
    QString m_name;
};

QStringList tags() {
    QStringList out;
    for (Form* f : Forms::all())
        out << f->Tag();
    return out;
}

}  // namespace

class TstPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void formsKeepLoadOrderAndShiftDown();
    void unloadFromRunsLastFirst();
    void closingAWindowUnloadsIt();
    void appPathsComeFromTheExecutable();
    void storeDirFallsBackWhenAppPathIsReadOnly();
    void twipsAndPixels();
    void screenInTwips();
    void fixedTextForms();
    void installedClockIsUsed();
    void scriptedPrompts();
};

void TstPlatform::cleanup() {
    Forms::unloadFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(Forms::Count(), 0);
    g_log.clear();
    g_sandbox.restore();
    Clock::install(nullptr);
    Prompts::setScripted(false);
}

void TstPlatform::formsKeepLoadOrderAndShiftDown() {
    QStringList& log = g_log;
    auto* main = new ProbeForm(QStringLiteral("main"));
    main->setTag(QStringLiteral("main"));
    QList<Form*> notes;
    for (int i = 1; i <= 4; ++i) {
        notes << new ProbeForm(QString::number(i));
        notes.back()->setTag(QString::number(i));
    }
    QCOMPARE(Forms::Count(), 5);
    QCOMPARE(Forms::item(0), main);
    QCOMPARE(tags(), QStringList({"main", "1", "2", "3", "4"}));

    notes[1]->Unload();
    QCOMPARE(log, QStringList({"2@2"}));
    QCOMPARE(tags(), QStringList({"main", "1", "3", "4"}));
    QCOMPARE(Forms::indexOf(notes[2]), 2);
    QCOMPARE(Forms::item(4), nullptr);
    QCOMPARE(Forms::item(-1), nullptr);

    // A second unload of the same form does nothing, also before it is deleted.
    notes[1]->Unload();
    QCOMPARE(log.size(), 1);

    // A window loaded later goes to the end, not into the gap.
    auto* late = new ProbeForm(QStringLiteral("late"));
    QCOMPARE(Forms::indexOf(late), 4);

    // A form deleted without unloading leaves the collection too.
    delete notes[0];
    QCOMPARE(tags(), QStringList({"main", "3", "4", ""}));
}

void TstPlatform::unloadFromRunsLastFirst() {
    QStringList& log = g_log;
    new ProbeForm(QStringLiteral("main"));
    for (int i = 1; i <= 3; ++i)
        new ProbeForm(QString::number(i));
    Forms::unloadFrom(1);
    QCOMPARE(log, QStringList({"3@3", "2@2", "1@1"}));
    QCOMPARE(Forms::Count(), 1);
}

void TstPlatform::closingAWindowUnloadsIt() {
    QStringList& log = g_log;
    auto* f = new ProbeForm(QStringLiteral("w"));
    f->show();
    f->close();
    QCOMPARE(log, QStringList({"w@0"}));
    QCOMPARE(Forms::Count(), 0);
}

void TstPlatform::appPathsComeFromTheExecutable() {
    App::overridePaths({});
    QCOMPARE(App::Path(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
    QCOMPARE(App::EXEName(), QStringLiteral("tst_platform"));
    QTemporaryDir dir;
    App::overridePaths(dir.path() + u'/', QStringLiteral("NOTES"));
    QCOMPARE(App::Path(), QDir::cleanPath(dir.path()));
    QCOMPARE(App::EXEName(), QStringLiteral("NOTES"));
    QCOMPARE(App::StoreDir(), App::Path());

    // Shipped files are looked up beside the program first.
    QFile shipped(dir.filePath(QStringLiteral("kvz.dat")));
    QVERIFY(shipped.open(QIODevice::WriteOnly));
    QCOMPARE(App::ShippedFile(QStringLiteral("kvz.dat")), dir.filePath(QStringLiteral("kvz.dat")));
}

void TstPlatform::storeDirFallsBackWhenAppPathIsReadOnly() {
    QTemporaryDir home;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    // A program folder that cannot be written, even by root: it lies below a plain file.
    QFile plain(home.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    App::overridePaths(home.filePath(QStringLiteral("plain/app")), QStringLiteral("jotpin"));
    const QString store = App::StoreDir();
    QCOMPARE(store,
             QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    QVERIFY(store.startsWith(home.path()));
    QVERIFY(QFileInfo(store).isDir());
    App::overrideStoreDir(home.filePath(QStringLiteral("elsewhere")));
    QCOMPARE(App::StoreDir(), home.filePath(QStringLiteral("elsewhere")));
    qputenv("XDG_DATA_HOME", dataHome);
}

void TstPlatform::twipsAndPixels() {
    QCOMPARE(units::twipsToPixels(3345), 223);
    QCOMPARE(units::twipsToPixels(638), 43);  // 42.53
    QCOMPARE(units::twipsToPixels(637), 42);  // 42.47
    QCOMPARE(units::twipsToPixels(-7), 0);
    QCOMPARE(units::twipsToPixels(-8), -1);
    QCOMPARE(units::twipsToPixels(-32768), -2185);
    for (int px : {-100, 0, 1, 43, 2184})
        QCOMPARE(units::twipsToPixels(units::pixelsToTwips(px)), px);
}

void TstPlatform::screenInTwips() {
    const QRect geometry = QGuiApplication::primaryScreen()->geometry();
    QCOMPARE(Screen::Width(), geometry.width() * 15);
    QCOMPARE(Screen::Height(), geometry.height() * 15);
    QVERIFY(Screen::Width() > 0);
}

void TstPlatform::fixedTextForms() {
    const QDateTime at(QDate(2026, 3, 7), QTime(9, 5, 3));
    QCOMPARE(timetext::creationTime(at), QStringLiteral("26/03/07 9:5:3"));
    QCOMPARE(timetext::titleClock(at), QStringLiteral("03/07 9:5:3"));
    QCOMPARE(timetext::creationTime(QDateTime(QDate(2009, 12, 31), QTime(23, 59, 59))),
             QStringLiteral("09/12/31 23:59:59"));
    QCOMPARE(timetext::longDate(QDate(2026, 3, 7)), QStringLiteral("2026年3月7日"));
    QCOMPARE(timetext::hourMinute(QTime(7, 5)), QStringLiteral("07:05"));
    // The forms do not follow the locale.
    QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
    QCOMPARE(timetext::creationTime(at), QStringLiteral("26/03/07 9:5:3"));
    QLocale::setDefault(QLocale::c());
}

void TstPlatform::installedClockIsUsed() {
    FixedClock fixed(QDateTime(QDate(2030, 1, 2), QTime(3, 4, 5)));
    Clock::install(&fixed);
    QCOMPARE(Clock::current().now(), QDateTime(QDate(2030, 1, 2), QTime(3, 4, 5)));
    fixed.advanceSecs(60);
    QCOMPARE(Clock::current().now().time(), QTime(3, 5, 5));
    Clock::install(nullptr);
    QVERIFY(qAbs(Clock::current().now().secsTo(QDateTime::currentDateTime())) < 5);
}

void TstPlatform::scriptedPrompts() {
    Prompts::setScripted(true);
    Prompts::queueAnswer(Prompts::Answer::Ok);
    Prompts::queueInput(QStringLiteral("secret"));
    Prompts::queueInput(std::nullopt);
    QCOMPARE(Prompts::askOkCancel(QStringLiteral("quit?"), QStringLiteral("t")),
             Prompts::Answer::Ok);
    QCOMPARE(Prompts::inputBox(QStringLiteral("pw"), {}, QStringLiteral("x")),
             std::optional<QString>("secret"));
    QCOMPARE(Prompts::inputBox(QStringLiteral("pw2")), std::nullopt);
    // Nothing queued: the safe answer, never a blocking dialog.
    QCOMPARE(Prompts::askOkCancel(QStringLiteral("again?"), {}), Prompts::Answer::Cancel);
    // An answer of the wrong kind is consumed and reads as Cancel.
    Prompts::queueAnswer(Prompts::Answer::Ok);
    QCOMPARE(Prompts::inputBox(QStringLiteral("pw3")), std::nullopt);
    QCOMPARE(Prompts::asked(), QStringList({"quit?", "pw", "pw2", "again?", "pw3"}));
}

QTEST_MAIN(TstPlatform)
#include "tst_platform.moc"
