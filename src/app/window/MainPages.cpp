// The controls of the four pages, the tab strip's rebuilds and the site list view.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolTip>

#include "app/dialogs/DialogGeometry.h"
#include "app/widgets/SpeedGraph.h"
#include "app/widgets/TabStripBar.h"
#include "app/widgets/UpdateSwitch.h"
#include "app/window/T_wexfoldDlg.h"
#include "core/shell/DialogUnits.h"
#include "core/shell/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {
namespace {

QString Tr(const char* english) {
    return QString::fromUtf8(Translate(english));
}

// The filter boxes' template texts begin with the '.' of the log lines they stand for; the
// Chinese labels go without it.
QString FilterLabel(const char* english) {
    return CurrentLanguage() == Language::kChinese ? Tr(english + 1) : Tr(english);
}

const QColor kPanelColour(244, 243, 238);

constexpr const char* kMonths[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

QComboBox* MonthList() {
    auto* list = new QComboBox;
    for (const char* month : kMonths) list->addItem(Tr(month));
    return list;
}

QLineEdit* DayField() {
    auto* field = new QLineEdit;
    field->setValidator(new QIntValidator(1, 31, field));
    field->setMaxLength(2);
    return field;
}

}  // namespace

QWidget* T_wexfoldDlg::Place(int id, QWidget* widget, int left, int top, int width, int height) {
    widget->setParent(this);
    widget->setGeometry(DialogGeometry(left, top, width, height));
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    controls_[id] = widget;
    return widget;
}

void T_wexfoldDlg::BuildControls() {
    const PixelRect window = ToPixels({0, 0, 320, 202});
    setFixedSize(window.width, window.height);

    tabBar_ = new TabStripBar;
    Place(1125, tabBar_, 5, 40, 310, 133);
    connect(tabBar_, &TabStripBar::currentChanged, this, [this] { OnTabSelChange(); });
    auto* banner = new QLabel;
    banner->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));
    Place(1117, banner, 5, 170, 260, 16);

    // URL page.
    Place(1003, new QGroupBox(Tr("URL List")), 16, 57, 216, 105);
    siteList_ = new QListWidget;
    siteList_->setViewMode(QListView::IconMode);
    siteList_->setIconSize(QSize(32, 32));
    siteList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    siteList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    siteList_->setMovement(QListView::Static);
    siteList_->setContextMenuPolicy(Qt::CustomContextMenu);
    Place(1002, siteList_, 16, 69, 216, 83);
    siteList_->viewport()->installEventFilter(this);
    connect(siteList_, &QListWidget::itemClicked, this, [this] { OnSiteClicked(QCursor::pos()); });
    connect(siteList_, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (siteList_->itemAt(at) != nullptr) OnSiteClicked(siteList_->mapToGlobal(at));
    });
    const std::pair<int, const char*> urlButtons[] = {
        {1004, "ADD NEW"}, {1005, "ADVANCED"}, {1006, "REMOVE"}};
    const int buttonTops[] = {63, 83, 104};
    for (int i = 0; i < 3; ++i) {
        auto* button = new QPushButton(Tr(urlButtons[i].second));
        Place(urlButtons[i].first, button, 252, buttonTops[i], 50, 14);
        const int id = urlButtons[i].first;
        connect(button, &QPushButton::clicked, this, [this, id] { OnCommand(id); });
    }

    // UPDATE page.
    updateText_ = new QLabel(Tr("Recent Update:"));
    updateText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    updateText_->setWordWrap(true);
    Place(1008, updateText_, 27, 61, 184, 60);
    updateSwitch_ = new UpdateSwitch;
    Place(1017, updateSwitch_, 227, 60, 80, 50);
    connect(updateSwitch_, &UpdateSwitch::clicked, this, [this] { OnCommand(1017); });
    Place(1030, new QLabel, 27, 123, 280, 10);
    auto* progress = new QProgressBar;
    progress->setRange(0, 100);
    Place(1007, progress, 27, 133, 190, 10);
    checkButton_ = new QPushButton(QString::fromUtf8(Text(114)));
    Place(1011, checkButton_, 27, 147, 150, 14);
    connect(checkButton_, &QPushButton::clicked, this, [this] { OnCommand(1011); });

    // Statistics page.
    Place(1034, new QGroupBox(Tr("Url Detail:")), 16, 57, 140, 30);
    statisticsLabel_ = new QLabel;
    Place(1040, statisticsLabel_, 20, 68, 105, 10);
    auto* change = new QPushButton(Tr("Change"));
    Place(1041, change, 125, 68, 30, 14);
    connect(change, &QPushButton::clicked, this, [this] { OnCommand(1041); });
    Place(1035, new QGroupBox(Tr("Connection Speed:")), 16, 90, 140, 78);
    graph_ = new SpeedGraph(history_);
    Place(1036, graph_, 16, 98, 138, 66);
    Place(1039, new QGroupBox(Tr("Current Static:")), 165, 57, 140, 110);
    detail_ = new QPlainTextEdit;
    detail_->setReadOnly(true);
    Place(1037, detail_, 165, 67, 140, 95);

    // Report page.
    Place(1102, new QGroupBox(Tr("Url Detail:")), 16, 57, 140, 30);
    reportLabel_ = new QLabel;
    Place(1100, reportLabel_, 20, 68, 105, 10);
    auto* reportChange = new QPushButton(Tr("Change"));
    Place(1101, reportChange, 125, 68, 30, 14);
    connect(reportChange, &QPushButton::clicked, this, [this] { OnCommand(1101); });
    Place(1103, new QGroupBox(Tr("Select report date")), 16, 90, 140, 70);
    Place(1107, new QLabel(Tr("From: ")), 20, 112, 21, 10);
    Place(1104, MonthList(), 41, 110, 50, 30);
    Place(1105, DayField(), 94, 110, 20, 13);
    Place(1106, new QComboBox, 118, 110, 32, 30);
    Place(1111, new QLabel(Tr("To: ")), 20, 132, 21, 10);
    Place(1108, MonthList(), 41, 130, 50, 30);
    Place(1109, DayField(), 94, 130, 20, 13);
    Place(1110, new QComboBox, 118, 130, 32, 30);
    Place(1116, new QGroupBox(Tr("Select filter")), 165, 57, 140, 70);
    Place(1112, new QCheckBox(FilterLabel(".Broken link report.")), 170, 73, 130, 10);
    Place(1113, new QCheckBox(FilterLabel(".Connectivity report. ")), 170, 88, 130, 10);
    Place(1114, new QCheckBox(FilterLabel(".Download speed.")), 170, 103, 130, 10);
    auto* view = new QPushButton(Tr("View report now!"));
    Place(1115, view, 165, 140, 120, 14);
    connect(view, &QPushButton::clicked, this, [this] { OnCommand(1115); });

    // The lists' heights in the templates include the open drop-down; closed they are as
    // high as the day fields, with a narrow arrow so that a year fits.
    for (int id : {1104, 1106, 1108, 1110}) {
        controls_[id]->setFixedHeight(ToPixels({0, 0, 0, 13}).height);
        controls_[id]->setStyleSheet(QStringLiteral(
            "QComboBox { padding-left: 2px; } QComboBox::drop-down { width: 11px; }"));
    }
    // The framed parts of the pages stand out from the strip in a lighter gray.
    for (int id : {1003, 1034, 1035, 1039, 1040, 1100, 1102, 1103, 1116, 1112, 1113, 1114}) {
        QWidget* widget = controls_[id];
        QPalette colours = widget->palette();
        colours.setColor(QPalette::Window, kPanelColour);
        widget->setPalette(colours);
        widget->setAutoFillBackground(true);
    }
    // The group boxes lie behind the controls they frame.
    for (int id : {1003, 1034, 1035, 1039, 1102, 1103, 1116}) controls_[id]->lower();
    tabBar_->lower();
    for (const auto& [id, widget] : controls_) {
        if (id != 1125 && id != 1117) widget->hide();
    }
    ShowControls(std::vector<int>(kUrlControls.begin(), kUrlControls.end()), true);
    ApplyStrip({FullStrip(), 0});
    BuildTitleButtons();
}

QWidget* T_wexfoldDlg::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void T_wexfoldDlg::ShowControls(const std::vector<int>& ids, bool show) {
    for (int id : ids) {
        if (QWidget* widget = Control(id)) widget->setVisible(show);
    }
}

Page T_wexfoldDlg::CurrentPage() const {
    const int index = tabBar_->currentIndex();
    return index >= 0 && index < static_cast<int>(tabs_.size()) ? tabs_[index] : Page::kUrl;
}

void T_wexfoldDlg::OnTabSelChange() {
    const PageControls controls = ControlsForPage(CurrentPage(), CheckRunning());
    ShowControls(controls.hide, false);
    ShowControls(controls.show, true);
    update();
}

void T_wexfoldDlg::ApplyStrip(const StripChange& change) {
    tabs_ = change.tabs;
    QStringList texts;
    for (Page page : tabs_) texts << QString::fromUtf8(Text(TabTextId(page)));
    tabBar_->setTabs(texts, change.selected);
    OnTabSelChange();
}

void T_wexfoldDlg::ShowTabPage(int page, bool show) {
    ApplyStrip(wexfold::ShowTabPage(tabs_, page, show));
}

void T_wexfoldDlg::RefillSiteList() {
    siteList_->clear();
    for (std::size_t i = 0; i < sites_.size(); ++i) {
        siteList_->addItem(QString::fromStdString(SiteNameText(sites_[i])));
        SetListImage(static_cast<int>(i), sites_[i].listImage);
    }
}

void T_wexfoldDlg::OnSiteClicked(const QPoint& at) {
    const int site = SelectionMark();
    if (site < 0 || site >= static_cast<int>(sites_.size())) return;
    RunMenu(SiteContextMenu(sites_[static_cast<std::size_t>(site)]), at);
}

void T_wexfoldDlg::FinishRename(const std::optional<std::string>& text) {
    const int site = renaming_;
    renaming_ = -1;
    if (renameEditor_ != nullptr) {
        renameEditor_->removeEventFilter(this);
        renameEditor_->deleteLater();
        renameEditor_ = nullptr;
    }
    if (site < 0 || site >= static_cast<int>(sites_.size())) return;
    const RenameVerdict verdict = CheckRename(sites_, site, text);
    if (verdict == RenameVerdict::kAccepted &&
        ApplyRename(sites_[static_cast<std::size_t>(site)], *text)) {
        siteList_->item(site)->setText(QString::fromStdString(*text));
        log_.OpenSiteLog(sites_[static_cast<std::size_t>(site)]);
    } else if (verdict == RenameVerdict::kDuplicate) {
        Ask("Warning", FormatText(Text(202), text->c_str()), false, false);
    } else if (verdict == RenameVerdict::kTooLong || verdict == RenameVerdict::kUnsafe) {
        Ask("Warning", FormatText(Translate(kUnusableSiteName), text->c_str()), false, false);
    }
}

bool T_wexfoldDlg::eventFilter(QObject* watched, QEvent* event) {
    // A site's tooltip is made when it is asked for, so it always tells the latest check.
    if (watched == siteList_->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QListWidgetItem* item = siteList_->itemAt(help->pos());
        if (item != nullptr) {
            QToolTip::showText(help->globalPos(), SiteToolTip(siteList_->row(item)), siteList_);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    // The rename editor: Escape cancels, leaving it commits like Return.
    if (watched == renameEditor_) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            FinishRename(std::nullopt);
            return true;
        }
        if (event->type() == QEvent::FocusOut) {
            FinishRename(renameEditor_->text().toStdString());
            return false;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace wexfold
