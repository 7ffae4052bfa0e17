// The About box: the program's pictures and version, run modally by command 16.
#pragma once

#include <QDialog>
#include <QRect>

namespace wexfold {

class CAboutDlg : public QDialog {
    Q_OBJECT

  public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // Dialog units to pixels: x by 1.5, y by 1.625, rounded.
    static QRect FromDialogUnits(int x, int y, int width, int height);
};

}  // namespace wexfold
