// The long hunt for sync faults: seeded schedules of two or three machines and a sync tool,
// one after another. Prints every failing seed (tst_syncsim takes it as a fixed case), the
// schedules run and the time taken.
//
// bench_syncsim [schedules=100000] [first-seed=1]
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QHashSeed>
#include <QTemporaryDir>
#include <cstdio>

#include "syncsim.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QHashSeed::setDeterministicGlobalSeed();
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const quint64 schedules = args.size() > 1 ? args[1].toULongLong() : 100000;
    const quint64 first = args.size() > 2 ? args[2].toULongLong() : 1;
    QTemporaryDir root(syncsim::scratchParent() + QStringLiteral("/bench_syncsim-XXXXXX"));
    const QString folder = root.filePath(QStringLiteral("run"));
    QElapsedTimer timer;
    timer.start();
    quint64 faults = 0;
    for (quint64 seed = first; seed < first + schedules; ++seed) {
        const syncsim::Outcome outcome = syncsim::run(seed, folder);
        if (outcome.violations.isEmpty()) continue;
        ++faults;
        std::printf("seed %llu: %s\n", static_cast<unsigned long long>(seed),
                    qPrintable(outcome.violations.first().section(u'\n', 0, 0)));
        // One schedule asked for: all it broke, and its steps.
        if (schedules == 1)
            std::printf("%s\nsteps:\n%s\n", qPrintable(outcome.violations.join(u'\n')),
                        qPrintable(outcome.log.join(u'\n')));
        std::fflush(stdout);
    }
    const double seconds = double(timer.elapsed()) / 1000.0;
    std::printf("schedules %llu (seeds %llu..%llu), faults %llu, %.1f s, %.1f schedules/s\n",
                static_cast<unsigned long long>(schedules), static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(first + schedules - 1),
                static_cast<unsigned long long>(faults), seconds,
                seconds > 0 ? double(schedules) / seconds : 0.0);
    return 0;
}
