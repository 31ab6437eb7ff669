#include "CBBSystemTray.h"

#include "CastLog.h"
#include "Texts.h"

CBBSystemTray::CBBSystemTray(const QIcon& icon, const QString& tip, QObject* parent)
    : QObject(parent), menu_(texts::kTrayMenu), icon_(icon) {
    connect(menu_.addAction(texts::kSettings), &QAction::triggered, this,
            &CBBSystemTray::SettingsChosen);
    connect(menu_.addAction(texts::kExit), &QAction::triggered, this, &CBBSystemTray::ExitChosen);
    connect(menu_.addAction(texts::kAbout), &QAction::triggered, this, &CBBSystemTray::AboutChosen);
    icon_.setToolTip(tip);
    icon_.setContextMenu(&menu_);
    connect(&icon_, &QSystemTrayIcon::activated, this, &CBBSystemTray::OnActivated);
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        CastLog(CastLogLevel::Warning) << "No system tray yet; the icon appears when one starts";
    icon_.show();
}

void CBBSystemTray::PopupMenu(const QPoint& position) {
    menu_.popup(position);
}

void CBBSystemTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) emit BringToFront();
    if (reason == QSystemTrayIcon::DoubleClick) emit ShowWindow();
}
