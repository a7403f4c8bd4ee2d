#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "fakes.h"
#include "sandbox.h"

#include "desktop/commondialog.h"
#include "desktop/displayplatform.h"
#include "desktop/prompts.h"
#include "desktop/screen.h"
#include "desktop/sound.h"
#include "platform/apppaths.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/translations.h"
#include "platform/units.h"

class TstPlatform : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void appPathsComeFromTheExecutable();
    void storeDirFallsBackWhenAppPathIsReadOnly();
    void rememberedStoreUnlessOverridden();
    void twipsAndPixels();
    void screenInTwips();
    void fixedTextForms();
    void installedClockIsUsed();
    void okRunsItsCommandBeforeTheQuestionCloses_data();
    void okRunsItsCommandBeforeTheQuestionCloses();
    void missingModulesAreToldAndNothingElse();
    void aReadTakesTheFileNotTheLimit();
    void qtTextsSpeakTheUsersLanguageOrChinese();
    void waylandSessionsRunOnXWayland_data();
    void waylandSessionsRunOnXWayland();
};

void TstPlatform::cleanup() {
    QFile::remove(paths::rememberedStoreFile());
    g_sandbox.restore();
    Clock::install(nullptr);
}

void TstPlatform::appPathsComeFromTheExecutable() {
    paths::overrideProgram({});
    QCOMPARE(paths::programDir(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
    QCOMPARE(paths::programName(), QStringLiteral("tst_platform"));
    QTemporaryDir dir;
    paths::overrideProgram(dir.path() + u'/', QStringLiteral("NOTES"));
    QCOMPARE(paths::programDir(), QDir::cleanPath(dir.path()));
    QCOMPARE(paths::programName(), QStringLiteral("NOTES"));
    QCOMPARE(paths::storeDir(), paths::programDir());

    // Shipped files are looked up beside the program first.
    QFile shipped(dir.filePath(QStringLiteral("kvz.dat")));
    QVERIFY(shipped.open(QIODevice::WriteOnly));
    QCOMPARE(paths::shippedFile(QStringLiteral("kvz.dat")),
             dir.filePath(QStringLiteral("kvz.dat")));
}

void TstPlatform::storeDirFallsBackWhenAppPathIsReadOnly() {
    QTemporaryDir home;
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", home.path().toUtf8());
    // A program folder that cannot be written, even by root: it lies below a plain file.
    QFile plain(home.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    paths::overrideProgram(home.filePath(QStringLiteral("plain/app")), QStringLiteral("jotpin"));
    const QString store = paths::storeDir();
    QCOMPARE(store,
             QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)));
    QVERIFY(store.startsWith(home.path()));
    QVERIFY(QFileInfo(store).isDir());
    paths::overrideStoreDir(home.filePath(QStringLiteral("elsewhere")));
    QCOMPARE(paths::storeDir(), home.filePath(QStringLiteral("elsewhere")));
    qputenv("XDG_DATA_HOME", dataHome);
}

// The store chosen in the settings dialog is this machine's, kept in its config folder, and
// opened at every start without --store or JOTPIN_STORE.
void TstPlatform::rememberedStoreUnlessOverridden() {
    QTemporaryDir synced;
    const QString notes = synced.filePath(QStringLiteral("notes"));  // not mounted yet
    const QString before = paths::storeDir();
    QString error;
    QVERIFY2(paths::rememberStoreDir(notes + u'/', &error), qPrintable(error));
    QVERIFY(paths::rememberedStoreFile().startsWith(g_sandbox.configPath() + u'/'));
    QCOMPARE(paths::storeDir(), before);  // the store of a running program never moves

    g_sandbox.restore();  // the next start
    QCOMPARE(paths::rememberedStoreDir(), notes);
    QCOMPARE(paths::storeDir(), notes);
    QVERIFY(!paths::storeDirOverridden());
    QVERIFY(!QFileInfo::exists(notes));  // waited for, never made here
    paths::overrideStoreDir(synced.filePath(QStringLiteral("other")));
    QCOMPARE(paths::storeDir(), synced.filePath(QStringLiteral("other")));
    QVERIFY(paths::storeDirOverridden());
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
    QCOMPARE(screen::widthTwips(), geometry.width() * 15);
    QCOMPARE(screen::heightTwips(), geometry.height() * 15);
    QVERIFY(screen::widthTwips() > 0);
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
    QCOMPARE(Clock::instance().now(), QDateTime(QDate(2030, 1, 2), QTime(3, 4, 5)));
    Clock::install(nullptr);
    QVERIFY(qAbs(Clock::instance().now().secsTo(QDateTime::currentDateTime())) < 5);
}

void TstPlatform::okRunsItsCommandBeforeTheQuestionCloses_data() {
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::newRow("OK") << QMessageBox::Ok;
    QTest::newRow("Cancel") << QMessageBox::Cancel;
}

// The exit question's OK ends the program from inside the box; Cancel must never run it.
void TstPlatform::okRunsItsCommandBeforeTheQuestionCloses() {
    QFETCH(QMessageBox::StandardButton, button);
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        box->button(button)->click();
    });
    int ran = 0;
    bool shownThen = false;
    const Prompts::Answer answer = Prompts::instance().askOkCancelThen(
        QStringLiteral("退出？"), QStringLiteral("退出软件"), [&] {
            ++ran;
            shownThen = QApplication::activeModalWidget() != nullptr;
        });
    const bool ok = button == QMessageBox::Ok;
    QCOMPARE(answer, ok ? Prompts::Answer::Ok : Prompts::Answer::Cancel);
    QCOMPARE(ran, ok ? 1 : 0);
    QCOMPARE(shownThen, ok);
}

// Sound and printing load at their first use; where a module cannot be found, the user hears
// of it once per sound (not at every ring) and at each print asked for, and nothing breaks.
void TstPlatform::missingModulesAreToldAndNothingElse() {
    const QStringList libraryPaths = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});  // neither beside this test nor in Qt's paths
    ScriptedPrompts prompts;
    Prompts::install(&prompts);
    const auto restore = qScopeGuard([&] {
        Prompts::install(nullptr);
        QCoreApplication::setLibraryPaths(libraryPaths);
    });
    QTemporaryDir dir;
    const QString wave = dir.filePath(QStringLiteral("bell.wav"));
    QFile file(wave);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    for (int ring = 0; ring < 3; ++ring) {
        Sound::instance().play(wave);
        Sound::instance().stop();
    }
    QCOMPARE(prompts.told.size(), 1);
    QVERIFY2(prompts.told[0].startsWith(QStringLiteral("无法播放声音：")) &&
                 prompts.told[0].contains(QStringLiteral("jotpin_sound")),
             qPrintable(prompts.told[0]));

    prompts.clear();
    CommonDialog dialog;
    QTextDocument document(QStringLiteral("text"));
    for (int print = 0; print < 2; ++print) {
        QVERIFY(!dialog.showPrinter(nullptr));
        QVERIFY(!dialog.print(QTextCursor(&document)));
    }
    QVERIFY(!dialog.choosePdfPrinter(dir.filePath(QStringLiteral("note.pdf"))));
    QCOMPARE(prompts.told.size(), 2);
    QVERIFY2(prompts.told[0].startsWith(QStringLiteral("无法打印：")) &&
                 prompts.told[0].contains(QStringLiteral("jotpin_print")),
             qPrintable(prompts.told[0]));
    QCOMPARE(prompts.told[1], prompts.told[0]);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("note.pdf"))));
}

// Every note is read under a limit of hundreds of megabytes: the bytes read must not hold that
// much memory, and a file is read up to the limit and refused past it.
void TstPlatform::aReadTakesTheFileNotTheLimit() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tie1.tie"));
    auto write = [&](const QByteArray& bytes) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(bytes), bytes.size());
    };
    write("{\\rtf1 note\\par}");
    QByteArray bytes;
    QString error;
    QCOMPARE(files::readRegular(path, qint64(256) * 1024 * 1024, &bytes, &error),
             files::ReadResult::Ok);
    QCOMPARE(bytes, QByteArray("{\\rtf1 note\\par}"));
    QVERIFY2(bytes.capacity() < 4096, QByteArray::number(bytes.capacity()).constData());

    write(QByteArray(1000, 'x'));
    QCOMPARE(files::readRegular(path, 1000, &bytes, &error), files::ReadResult::Ok);
    QCOMPARE(bytes.size(), 1000);
    QCOMPARE(files::readRegular(path, 999, &bytes, &error), files::ReadResult::Failed);
    QVERIFY(bytes.isEmpty());
    write({});
    QCOMPARE(files::readRegular(path, 1000, &bytes, &error), files::ReadResult::Ok);
    QVERIFY(bytes.isEmpty());
}

void TstPlatform::qtTextsSpeakTheUsersLanguageOrChinese() {
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    QCOMPARE(translations::install(QLocale(QLocale::English, QLocale::UnitedStates)),
             QLocale::Chinese);
    QCOMPARE(cancel(), QStringLiteral("取消"));
    QCOMPARE(translations::install(QLocale(QLocale::French, QLocale::France)), QLocale::French);
    QCOMPARE(cancel(), QStringLiteral("Annuler"));
    QCOMPARE(translations::install(QLocale(QLocale::Zulu, QLocale::SouthAfrica)), QLocale::Chinese);
    QCOMPARE(cancel(), QStringLiteral("取消"));
    translations::install(QLocale(QLocale::English));
}

void TstPlatform::waylandSessionsRunOnXWayland_data() {
    QTest::addColumn<QString>("session");
    QTest::addColumn<QString>("waylandDisplay");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("chosen");  // QT_QPA_PLATFORM as the user set it
    QTest::addColumn<QString>("forced");
    QTest::newRow("wayland with xwayland") << "wayland"
                                           << "wayland-0"
                                           << ":0"
                                           << ""
                                           << "xcb";
    QTest::newRow("only WAYLAND_DISPLAY") << ""
                                          << "wayland-0"
                                          << ":1"
                                          << ""
                                          << "xcb";
    QTest::newRow("no xwayland") << "wayland"
                                 << "wayland-0"
                                 << ""
                                 << ""
                                 << "";
    QTest::newRow("wayland asked for, xwayland there") << "wayland"
                                                       << "wayland-0"
                                                       << ":0"
                                                       << "wayland"
                                                       << "xcb";
    QTest::newRow("wayland asked for, no xwayland") << "wayland"
                                                    << "wayland-0"
                                                    << ""
                                                    << "wayland"
                                                    << "";
    QTest::newRow("another platform asked for") << "wayland"
                                                << "wayland-0"
                                                << ":0"
                                                << "offscreen"
                                                << "";
    QTest::newRow("x11 session") << "x11"
                                 << ""
                                 << ":0"
                                 << ""
                                 << "";
}

void TstPlatform::waylandSessionsRunOnXWayland() {
    QFETCH(QString, session);
    QFETCH(QString, waylandDisplay);
    QFETCH(QString, display);
    QFETCH(QString, chosen);
    QFETCH(QString, forced);
    const QHash<QString, QString> env = {{"XDG_SESSION_TYPE", session},
                                         {"WAYLAND_DISPLAY", waylandDisplay},
                                         {"DISPLAY", display},
                                         {"QT_QPA_PLATFORM", chosen}};
    auto lookup = [&](const char* name) { return env.value(QString::fromLatin1(name)); };
    QCOMPARE(displayplatform::forced(lookup, false), forced);
    QCOMPARE(displayplatform::forced(lookup, true), QString());  // "-platform" given
}

QTEST_MAIN(TstPlatform)
#include "tst_platform.moc"
