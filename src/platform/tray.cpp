#include "platform/tray.h"

#include <QSystemTrayIcon>

namespace {

class QtTrayIcon : public TrayIcon {
public:
    QtTrayIcon() {
        // No context menu on the icon itself: the program pops up its own menu at the cursor.
        connect(&m_icon, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger) Q_EMIT leftButtonUp();
                    if (reason == QSystemTrayIcon::Context) Q_EMIT rightButtonUp();
                });
    }
    void add(const QIcon& icon) override {
        m_icon.setIcon(icon);
        m_icon.show();
    }
    void setTip(const QString& tip) override { m_icon.setToolTip(tip); }
    void remove() override { m_icon.hide(); }
    bool isAdded() const override { return m_icon.isVisible(); }
    bool hostAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }
    void showMessage(const QString& title, const QString& text) override {
        m_icon.showMessage(title, text, QSystemTrayIcon::Warning, 15000);
    }

private:
    QSystemTrayIcon m_icon;
};

}  // namespace

TrayIcon& TrayIcon::real() {
    static auto* real = new QtTrayIcon();  // lives as long as the program
    return *real;
}
