#pragma once
// The about box: the program's icon, name and version.
#include <QDialog>
#include <QPixmap>

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(const QPixmap& icon, QWidget* parent = nullptr);
};
