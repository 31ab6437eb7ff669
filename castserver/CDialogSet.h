#pragma once
// The settings dialog: start at login (applied at once), close to the tray,
// and the folder list, one folder per line. "Save" writes both flags and
// the list.
#include <QCheckBox>
#include <QDialog>
#include <QPlainTextEdit>

class CVelmiraApp;

class CDialogSet : public QDialog {
    Q_OBJECT

public:
    explicit CDialogSet(CVelmiraApp& app, QWidget* parent = nullptr);

private:
    void OnAutorunClicked();
    void OnCloseToTrayClicked();
    void OnSave();

    CVelmiraApp& app_;
    QCheckBox* autorun_;        // control 1008
    QCheckBox* close_to_tray_;  // control 1009
    QPlainTextEdit* folders_;
};
