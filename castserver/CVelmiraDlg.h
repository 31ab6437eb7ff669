#pragma once
// The main window: 650 x 470, its own title area (drawn from the frame
// images, dragged by its top 30 pixels) with the browse, menu, minimise
// and close buttons, the list of services, and the folder last shared.
// Minimising or closing hides it to the tray; closing ends the application
// instead when "close to tray" is off.
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QToolButton>
#include <QWidget>
#include <memory>
#include <vector>

#include "CBBSystemTray.h"
#include "SharingThread.h"

class CAboutDlg;
class CColorStatic;
class COwnerDrawListBox;
class CDialogSet;
class CVelmiraApp;
class CXPGroupBox;

class CVelmiraDlg : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 650;
    static constexpr int kHeight = 470;
    static constexpr int kTitleHeight = 30;

    explicit CVelmiraDlg(CVelmiraApp& app);
    ~CVelmiraDlg() override;

    // The start-up steps, in order; then the window may be shown.
    void OnInitDialog();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QToolButton* TitleButton(const char* image, int right);
    void LayoutTitleArea();
    void OnMinimize();
    void OnClose();
    void OnMenu();
    void OnBrowse();
    void ShowAndRaise();
    void OpenSettings();
    void OpenAbout();

    CVelmiraApp& app_;
    std::unique_ptr<CBBSystemTray> tray_;
    CXPGroupBox* group_ = nullptr;
    COwnerDrawListBox* list_ = nullptr;
    CColorStatic* folder_ = nullptr;
    QToolButton* browse_ = nullptr;
    QToolButton* menu_ = nullptr;
    QToolButton* minimize_ = nullptr;
    QToolButton* close_ = nullptr;
    QPixmap frame_[9];  // the frame pieces, row by row
    QPixmap icon_;
    QPointer<CDialogSet> settings_;
    QPointer<CAboutDlg> about_;
    std::vector<std::unique_ptr<SharingThread>> sharing_;
    // Dragging by hand where the window system offers no move of its own.
    bool dragging_ = false;
    QPoint drag_offset_;
};
