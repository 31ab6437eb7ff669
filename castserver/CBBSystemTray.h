#pragma once
// The tray icon and its menu ("托盘菜单": 设置, 退出, 关于). A left click
// brings the window to the front, a double click shows it, the right button
// opens the menu.
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>

class CBBSystemTray : public QObject {
    Q_OBJECT

public:
    CBBSystemTray(const QIcon& icon, const QString& tip, QObject* parent = nullptr);

    // The tray menu at `position` (the main window's menu button uses it too).
    void PopupMenu(const QPoint& position);

signals:
    void BringToFront();
    void ShowWindow();
    void SettingsChosen();
    void AboutChosen();
    void ExitChosen();

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    QMenu menu_;
    QSystemTrayIcon icon_;
};
