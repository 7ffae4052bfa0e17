// The frame the window draws itself: title bar with icon, name and three buttons, the menu
// cells and their pop-up menus, the tiled body.
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>

#include "app/window/MenuFill.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/sites/SiteListFile.h"
#include "core/text/StringTable.h"

namespace wexfold {
namespace {

constexpr int kTitleTop = 1;
constexpr int kTitleHeight = 18;
constexpr int kTitleWidth = 478;
constexpr int kMenuLeft = 8;
constexpr int kMenuTop = 20;
constexpr int kCellWidth = 40;
constexpr int kCellHeight = 15;
constexpr int kMenuDrop = 35;
constexpr const char* kCells[] = {"File", "View", "Tools", "Help"};
const QColor kMenuColour(236, 233, 216);
const QColor kHoverColour(0x7f, 0xad, 0xec);
const QColor kNameColour(200, 50, 50);

QRect CellRect(int cell) {
    return {kMenuLeft + cell * kCellWidth, kMenuTop, kCellWidth, kCellHeight};
}

void Tile(QPainter& painter, const QRect& area, const char* picture) {
    painter.drawTiledPixmap(area, QPixmap(QString::fromLatin1(picture)));
}

}  // namespace

void T_wexfoldDlg::BuildTitleButtons() {
    const char* labels[] = {".", "-", "X"};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(labels[i]), this);
        button->setObjectName(QStringList{"BTNICON", "BTNMIN", "BTNCLOSE"}[i]);
        button->setFixedSize(15, 15);
        button->setFocusPolicy(Qt::NoFocus);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background: red; border: 1px solid black; color: black;"
                           " font: bold 8pt; padding: 0; }"));
        button->move(kTitleWidth - 3 - (3 - i) * 17, kTitleTop + kTitleHeight - 16);
        connect(button, &QPushButton::clicked, this, [this, i] {
            if (i == 1) {
                showMinimized();
            } else {
                MinimiseAndSave();
            }
        });
    }
}

void T_wexfoldDlg::MinimiseAndSave() {
    showMinimized();
    if (started_) SaveSites();
}

Menu T_wexfoldDlg::FrameMenu(int cell) const {
    switch (cell) {
        case 0:
            return FileMenu();
        case 1:
            return ViewMenu(tabs_);
        case 2:
            return ToolsMenu(sites_, SelectionMark());
        default:
            return HelpMenu();
    }
}

void T_wexfoldDlg::RunMenu(const Menu& items, const QPoint& at) {
    QMenu menu(this);
    FillMenu(menu, items);
    const int command = services_.runMenu(menu, at);
    if (command != 0) OnCommand(command);
}

int T_wexfoldDlg::MenuCellAt(const QPoint& at) const {
    for (int cell = 0; cell < 4; ++cell) {
        if (CellRect(cell).contains(at)) return cell;
    }
    return -1;
}

void T_wexfoldDlg::OpenFrameMenu(int cell) {
    RunMenu(FrameMenu(cell), mapToGlobal(QPoint(kMenuLeft + cell * kCellWidth, kMenuDrop)));
}

void T_wexfoldDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(128, 128, 128));
    Tile(painter, QRect(0, kTitleTop + kTitleHeight, width(), height() - 32),
         ":/images/body-tile.png");
    Tile(painter, QRect(0, height() - 13, width(), 13), ":/images/bottom-tile.png");
    Tile(painter, QRect(1, kTitleTop, kTitleWidth, kTitleHeight), ":/images/title-tile.png");
    painter.drawPixmap(2, 1, QPixmap(QStringLiteral(":/images/app-16.png")));

    QFont name(QStringLiteral("Comic Sans MS"), 10, QFont::Bold);
    painter.setFont(name);
    painter.setPen(kNameColour);
    painter.drawText(QRect(20, 2, 120, 16), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(Text(110)));

    painter.setFont(QFont(QStringLiteral("Tahoma"), 8));
    painter.fillRect(QRect(kMenuLeft, kMenuTop, kTitleWidth - kMenuLeft - 6, kCellHeight),
                     kMenuColour);
    for (int cell = 0; cell < 4; ++cell) {
        const QRect box = CellRect(cell);
        const bool hovered = cell == hoveredCell_;
        painter.fillRect(box, hovered ? kHoverColour : kMenuColour);
        painter.setPen(hovered ? Qt::black : kMenuColour);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        painter.setPen(Qt::black);
        painter.drawText(box, Qt::AlignCenter, QString::fromUtf8(Translate(kCells[cell])));
    }
    // The first picture is on its way: now the sites may be loaded and started.
    if (startAfterPaint_) {
        startAfterPaint_ = false;
        QMetaObject::invokeMethod(
            this, [this] { StartWatching(); }, Qt::QueuedConnection);
    }
}

void T_wexfoldDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const int cell = MenuCellAt(at);
    if (cell >= 0 && event->button() == Qt::LeftButton) {
        OpenFrameMenu(cell);
        return;
    }
    const bool onTitle = at.y() >= kTitleTop && at.y() < kTitleTop + kTitleHeight;
    if (onTitle && event->button() == Qt::RightButton) {
        // The frame has no system menu of the desktop's; its About entry opens from here.
        MenuItem about;
        about.text = Text(101);
        about.command = command::kAbout;
        RunMenu({about}, event->globalPosition().toPoint());
        return;
    }
    if (onTitle) {
        // Dragging the title bar moves the window; the desktop moves it where it can.
        if (windowHandle() != nullptr && windowHandle()->startSystemMove()) return;
        dragging_ = true;
        dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
    }
}

void T_wexfoldDlg::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) {
        move(event->globalPosition().toPoint() - dragOffset_);
        return;
    }
    const int cell = MenuCellAt(event->position().toPoint());
    if (cell != hoveredCell_) {
        hoveredCell_ = cell;
        update(QRect(kMenuLeft, kMenuTop, 4 * kCellWidth, kCellHeight));
    }
}

void T_wexfoldDlg::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
}

void T_wexfoldDlg::leaveEvent(QEvent*) {
    if (hoveredCell_ != -1) {
        hoveredCell_ = -1;
        update();
    }
}

}  // namespace wexfold
