// The About box: the program's pictures and version, run modally by command 16.
#pragma once

#include <QDialog>
#include <QRect>

namespace wexfold {

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace wexfold
