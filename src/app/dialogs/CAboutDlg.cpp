#include "app/dialogs/CAboutDlg.h"

#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>

#include "app/dialogs/DialogGeometry.h"
#include "core/text/StringTable.h"

namespace wexfold {

namespace {

// A picture shown unscaled from the control's top-left corner; a missing one shows nothing.
QLabel* Picture(QWidget* parent, const char* name, const char* path, const QRect& where) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setPixmap(QPixmap(path));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(where);
    return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8(Translate("About Wexfold")));
    setModal(true);
    setFixedSize(DialogGeometry(0, 0, 235, 126).size());

    // The dialog colour shows through every static, the icon's included.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(236, 233, 216));
    setPalette(colours);
    setAutoFillBackground(true);

    Picture(this, "stripPicture", ":/images/about-strip.png", DialogGeometry(0, 0, 31, 160));
    Picture(this, "bannerPicture", ":/images/about-banner.png", DialogGeometry(29, 7, 199, 33));

    auto* version = new QLabel(QString::fromUtf8(Translate("Version 1.0  6.22.2007.3")), this);
    version->setObjectName("versionLabel");
    // A font larger than the dialog's own grows the label rather than clipping the version.
    const QRect versionCell = DialogGeometry(31, 41, 83, 8);
    version->setGeometry(
        QRect(versionCell.topLeft(), versionCell.size().expandedTo(version->sizeHint())));

    // The icon keeps its own 32 x 32 size, as an icon control sizes itself to its icon.
    const QRect iconCell = DialogGeometry(31, 99, 20, 20);
    Picture(this, "iconPicture", ":/images/app-32.png", QRect(iconCell.topLeft(), QSize(32, 32)));

    auto* ok = new QPushButton(QString::fromUtf8(Translate("OK")), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    ok->setGeometry(DialogGeometry(186, 103, 42, 16));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace wexfold
