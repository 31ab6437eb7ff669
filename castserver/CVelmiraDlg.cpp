#include "CVelmiraDlg.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include "CAboutDlg.h"
#include "CColorStatic.h"
#include "CDialogSet.h"
#include "COwnerDrawListBox.h"
#include "CVelmiraApp.h"
#include "CXPGroupBox.h"
#include "Texts.h"

namespace {

const QColor kListBackground(240, 240, 240);
const QColor kListLine(194, 208, 211);
const QColor kListText(156, 167, 167);

// Width of the frame's side pieces and height of its bottom ones.
constexpr int kEdge = 8;

constexpr const char* kFramePieces[] = {"wbg_tl.png", "wbg_tc.png", "wbg_tr.png",
                                        "wbg_ml.png", "wbg_mc.png", "wbg_mr.png",
                                        "wbg_bl.png", "wbg_bc.png", "wbg_br.png"};

}  // namespace

CVelmiraDlg::CVelmiraDlg(CVelmiraApp& app)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), app_(app) {}

CVelmiraDlg::~CVelmiraDlg() {
    delete settings_;
    delete about_;
    for (auto& thread : sharing_) thread->RequestStop();
    sharing_.clear();
}

void CVelmiraDlg::OnInitDialog() {
    // 1. Icons and title (the system menu is the title area's context menu).
    setWindowIcon(app_.Icon());
    setWindowTitle(texts::kTitle);
    for (int i = 0; i < 9; ++i) frame_[i] = app_.Image(kFramePieces[i]);
    icon_ = app_.Image("PCBriskenServer.png");
    // 2. Tray icon.
    tray_ = std::make_unique<CBBSystemTray>(app_.Icon(), texts::kTitle);
    connect(tray_.get(), &CBBSystemTray::BringToFront, this, &CVelmiraDlg::ShowAndRaise);
    connect(tray_.get(), &CBBSystemTray::ShowWindow, this, &QWidget::showNormal);
    connect(tray_.get(), &CBBSystemTray::SettingsChosen, this, &CVelmiraDlg::OpenSettings);
    connect(tray_.get(), &CBBSystemTray::AboutChosen, this, &CVelmiraDlg::OpenAbout);
    connect(tray_.get(), &CBBSystemTray::ExitChosen, this, &CVelmiraApp::EndApplication);
    // 3.-7. Service list, receiver, folder list, Splashtop.
    app_.WriteServiceList();
    app_.StartReceiver();
    app_.ReadFolderList();
    app_.FindSplashtop();
    app_.StartSplashtop();
    // 8. The list.
    group_ = new CXPGroupBox(this);
    group_->SetBorderColor(kListText);
    group_->SetFillColor(kListBackground);
    list_ = new COwnerDrawListBox(group_);
    list_->SetColors(kListBackground, kListLine, kListText);
    list_->SetImages({app_.Image("list_Click.png"), app_.Image("list_unClick.png"),
                      app_.Image("checkbox_normal_Chk.png"), app_.Image("checkbox_normal.png"),
                      app_.Image("checkbox_disable_Chk.png"), app_.Image("checkbox_disable.png")});
    list_->AddEntry(
        {texts::kSplashtopService, app_.splashtop_status, app_.folder_list.value(0), true, true});
    auto* share = new QLabel(this);
    share->setPixmap(app_.Image("share.png"));
    share->setGeometry(16, 392, 24, 24);
    folder_ = new CColorStatic(this);
    folder_->SetTextColor(QColor(64, 64, 64));
    folder_->setGeometry(48, 392, 586, 24);
    // 9. Size, place and title area.
    setFixedSize(kWidth, kHeight);
    move(0, 0);
    group_->setGeometry(14, 42, kWidth - 28, 338);
    list_->setGeometry(group_->ContentRect());
    LayoutTitleArea();
    // 10. Settings.
    app_.ReadSettings();
}

QToolButton* CVelmiraDlg::TitleButton(const char* image, int right) {
    auto* button = new QToolButton(this);
    const QPixmap pixmap = app_.Image(image);
    button->setIcon(pixmap);
    button->setIconSize(pixmap.size());
    button->setAutoRaise(true);
    button->setStyleSheet(
        "QToolButton { border: none; background: transparent; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 50); }");
    button->setGeometry(kWidth - right, 4, 26, 22);
    return button;
}

void CVelmiraDlg::LayoutTitleArea() {
    close_ = TitleButton("SystemButton_r1_c7.png", kEdge + 26);
    minimize_ = TitleButton("SystemButton_r1_c5.png", kEdge + 2 * 26);
    menu_ = TitleButton("SystemButton_r1_c3.png", kEdge + 3 * 26);
    browse_ = TitleButton("SystemButton_r1_c1.png", kEdge + 4 * 26);
    connect(close_, &QToolButton::clicked, this, &CVelmiraDlg::OnClose);
    connect(minimize_, &QToolButton::clicked, this, &CVelmiraDlg::OnMinimize);
    connect(menu_, &QToolButton::clicked, this, &CVelmiraDlg::OnMenu);
    connect(browse_, &QToolButton::clicked, this, &CVelmiraDlg::OnBrowse);
}

void CVelmiraDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int w = width(), h = height(), t = kTitleHeight;
    const int xs[] = {0, kEdge, w - kEdge, w}, ys[] = {0, t, h - kEdge, h};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            painter.drawPixmap(
                QRect(QPoint(xs[column], ys[row]), QPoint(xs[column + 1] - 1, ys[row + 1] - 1)),
                frame_[row * 3 + column]);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRect(10, 7, 16, 16), icon_);
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(34, 0, w - 34 - 5 * 26, t), Qt::AlignVCenter | Qt::AlignLeft,
                     texts::kTitle);
}

void CVelmiraDlg::mousePressEvent(QMouseEvent* event) {
    if (event->position().y() >= kTitleHeight) return QWidget::mousePressEvent(event);
    if (event->button() == Qt::RightButton) {
        // The system menu's counterpart, with its one added command.
        QMenu system_menu(this);
        connect(system_menu.addAction(texts::kAboutCommand), &QAction::triggered, this,
                &CVelmiraDlg::OpenAbout);
        system_menu.exec(event->globalPosition().toPoint());
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    drag_offset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CVelmiraDlg::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - drag_offset_);
}

void CVelmiraDlg::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void CVelmiraDlg::closeEvent(QCloseEvent* event) {
    // A close from the window system minimises, as the close command does.
    event->ignore();
    OnMinimize();
}

void CVelmiraDlg::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized))
        OnMinimize();
    QWidget::changeEvent(event);
}

void CVelmiraDlg::OnMinimize() {
    setWindowState(windowState() & ~Qt::WindowMinimized);
    hide();
}

void CVelmiraDlg::OnClose() {
    if (app_.settings.closetosystray)
        OnMinimize();
    else
        CVelmiraApp::EndApplication();
}

void CVelmiraDlg::OnMenu() {
    tray_->PopupMenu(QCursor::pos());
}

void CVelmiraDlg::OnBrowse() {
    const QString folder = QFileDialog::getExistingDirectory(this, texts::kBrowseFolder, QString(),
                                                             QFileDialog::ShowDirsOnly);
    if (folder.isEmpty()) return;
    folder_->setText(folder);
    const std::string encoded = QFile::encodeName(folder).toStdString();
    const CVelmiraApp::ShareJob& share = app_.Share();
    if (!share) return;
    sharing_.push_back(std::make_unique<SharingThread>(
        [share, encoded](std::stop_token stop) { share(encoded, stop); }));
}

void CVelmiraDlg::ShowAndRaise() {
    showNormal();
    raise();
    activateWindow();
}

void CVelmiraDlg::OpenSettings() {
    if (!settings_) {
        settings_ = new CDialogSet(app_);
        settings_->setAttribute(Qt::WA_DeleteOnClose);
    }
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void CVelmiraDlg::OpenAbout() {
    if (!about_) {
        about_ = new CAboutDlg(icon_);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}
