#include "richtext/fonts.h"

#include <QFont>
#include <QFontDatabase>
#include <QSet>
#include <QStringList>

namespace fonts {

void installSubstitutes() {
    const QStringList serif = {QStringLiteral("Noto Serif CJK SC"),
                               QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC"),
                               QStringLiteral("WenQuanYi Zen Hei")};
    const QStringList sans = {
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Zen Hei"),
        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")};
    const QStringList serifNames = {
        QStringLiteral("宋体"),     QStringLiteral("新宋体"), QStringLiteral("SimSun"),
        QStringLiteral("NSimSun"),  QStringLiteral("楷体"),   QStringLiteral("楷体_GB2312"),
        QStringLiteral("KaiTi"),    QStringLiteral("仿宋"),   QStringLiteral("仿宋_GB2312"),
        QStringLiteral("FangSong"),
    };
    const QStringList sansNames = {QStringLiteral("黑体"),     QStringLiteral("SimHei"),
                                   QStringLiteral("微软雅黑"), QStringLiteral("Microsoft YaHei"),
                                   QStringLiteral("幼圆"),     QStringLiteral("YouYuan")};
    // One look at the installed families: hasFamily() asks fontconfig anew for every name.
    QSet<QString> installed;
    for (const QString& family : QFontDatabase::families())
        installed.insert(family.toCaseFolded());
    auto has = [&installed](const QString& family) {
        return installed.contains(family.toCaseFolded());
    };
    auto install = [&has](const QStringList& names, const QStringList& candidates) {
        QStringList available;
        for (const QString& family : candidates) {
            if (has(family)) available << family;
        }
        if (available.isEmpty()) return;
        for (const QString& name : names) {
            if (!has(name)) QFont::insertSubstitutions(name, available);
        }
    };
    install(serifNames, serif);
    install(sansNames, sans);
}

}  // namespace fonts
