#include "CDialogSet.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "CColorStatic.h"
#include "CVelmiraApp.h"
#include "Texts.h"

namespace {

// The check boxes draw the application's own images.
QString CheckBoxStyle(const CVelmiraApp& app) {
    const QString folder = app.Paths().ImageFolder() + "/";
    return QString(
               "QCheckBox::indicator { width: 16px; height: 16px; }"
               "QCheckBox::indicator:unchecked { image: url(\"%1checkbox_normal.png\"); }"
               "QCheckBox::indicator:checked { image: url(\"%1checkbox_normal_Chk.png\"); }"
               "QCheckBox::indicator:unchecked:disabled { image: url(\"%1checkbox_disable.png\"); }"
               "QCheckBox::indicator:checked:disabled { image: "
               "url(\"%1checkbox_disable_Chk.png\"); }")
        .arg(folder);
}

QPushButton* ImageButton(const QPixmap& image, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIcon(image);
    button->setIconSize(image.size());
    button->setFixedSize(image.size());
    button->setFlat(true);
    button->setStyleSheet("QPushButton { border: none; }");
    return button;
}

}  // namespace

CDialogSet::CDialogSet(CVelmiraApp& app, QWidget* parent)
    : QDialog(parent),
      app_(app),
      autorun_(new QCheckBox(texts::kAutorun, this)),
      close_to_tray_(new QCheckBox(texts::kCloseToTray, this)),
      folders_(new QPlainTextEdit(this)) {
    setWindowTitle(texts::kSettings);
    setWindowIcon(app.Icon());
    setStyleSheet(CheckBoxStyle(app));
    autorun_->setChecked(app.settings.autorun);
    close_to_tray_->setChecked(app.settings.closetosystray);
    folders_->setPlainText(app.folder_list.join('\n'));
    folders_->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* note = new CColorStatic(this);
    note->setText(texts::kSettingsNote);
    note->SetTextColor(QColor(156, 167, 167));

    auto* save = ImageButton(app.Image("save_n.png"), this);
    auto* exit = ImageButton(app.Image("exit_n.png"), this);
    connect(autorun_, &QCheckBox::clicked, this, &CDialogSet::OnAutorunClicked);
    connect(close_to_tray_, &QCheckBox::clicked, this, &CDialogSet::OnCloseToTrayClicked);
    connect(save, &QPushButton::clicked, this, &CDialogSet::OnSave);
    connect(exit, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(autorun_);
    layout->addWidget(close_to_tray_);
    layout->addWidget(folders_, 1);
    layout->addWidget(note);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(save);
    buttons->addWidget(exit);
    layout->addLayout(buttons);
    resize(460, 340);
}

void CDialogSet::OnAutorunClicked() {
    app_.SetAutorun(!app_.settings.autorun);
    autorun_->setChecked(app_.settings.autorun);
}

void CDialogSet::OnCloseToTrayClicked() {
    app_.settings.closetosystray = !app_.settings.closetosystray;
    close_to_tray_->setChecked(app_.settings.closetosystray);
}

void CDialogSet::OnSave() {
    app_.Save(folders_->toPlainText().split('\n'));
}
