// CAboutDlg: the About box opened from the face's context menu: the program icon, its version and one
// line about what it does, and OK.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace fwu {

class CAboutDlg : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* IconLabel() const { return iconLabel; }
    QLabel* VersionLabel() const { return versionLabel; }
    QLabel* NoteLabel() const { return noteLabel; }
    QPushButton* OkButton() const { return okButton; }

private:
    QLabel* iconLabel;
    QLabel* versionLabel;
    QLabel* noteLabel;
    QPushButton* okButton;
};

}  // namespace fwu
