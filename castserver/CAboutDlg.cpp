#include "CAboutDlg.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

#include "Texts.h"

CAboutDlg::CAboutDlg(const QPixmap& icon, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString(texts::kAbout) + " " + texts::kTitle);
    auto* layout = new QGridLayout(this);
    auto* picture = new QLabel(this);
    picture->setPixmap(icon);
    layout->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(new QLabel(texts::kTitle, this), 0, 1);
    layout->addWidget(new QLabel("PCBriskenServer " + QCoreApplication::applicationVersion(), this),
                      1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons, 2, 0, 1, 2);
    setFixedSize(sizeHint());
}
