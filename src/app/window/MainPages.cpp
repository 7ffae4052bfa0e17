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
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"
#include "core/window/DialogUnits.h"

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

// Puts a control at its place in dialog units.
void Put(QWidget* parent, QWidget* widget, const DialogRect& where) {
    widget->setParent(parent);
    widget->setGeometry(DialogGeometry(where.left, where.top, where.width, where.height));
}

// The framed parts of the pages stand out from the strip in a lighter gray.
template <typename Widget>
Widget* Panel(Widget* widget) {
    QPalette colours = widget->palette();
    colours.setColor(QPalette::Window, kPanelColour);
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
    return widget;
}

}  // namespace

template <typename Widget>
Widget* T_wexfoldDlg::Place(Page page, Widget* widget, const DialogRect& where) {
    Put(this, widget, where);
    pageControls_.emplace_back(page, widget);
    return widget;
}

QGroupBox* T_wexfoldDlg::Frame(Page page, const char* english, const DialogRect& where) {
    QGroupBox* frame = Place(page, Panel(new QGroupBox(Tr(english))), where);
    // A frame lies behind the controls it holds.
    frame->lower();
    return frame;
}

MainControls::Day T_wexfoldDlg::DayRow(int top) {
    MainControls::Day row;
    row.month = Place(Page::kReport, MonthList(), {41, top, 50, 30});
    row.day = Place(Page::kReport, DayField(), {94, top, 20, 13});
    row.year = Place(Page::kReport, new QComboBox, {118, top, 32, 30});
    // The lists' heights in the templates include the open drop-down; closed they are as
    // high as the day fields, with a narrow arrow so that a year fits.
    for (QComboBox* list : {row.month, row.year}) {
        list->setFixedHeight(ToPixels({0, 0, 0, 13}).height);
        list->setStyleSheet(QStringLiteral(
            "QComboBox { padding-left: 2px; } QComboBox::drop-down { width: 11px; }"));
    }
    return row;
}

void T_wexfoldDlg::BuildControls() {
    const PixelRect window = ToPixels({0, 0, 320, 202});
    setFixedSize(window.width, window.height);
    MainControls& c = controls_;

    c.tabs = new TabStripBar;
    Put(this, c.tabs, {5, 40, 310, 133});
    connect(c.tabs, &TabStripBar::currentChanged, this, [this] { OnTabSelChange(); });
    auto* banner = new QLabel;
    banner->setPixmap(QPixmap(QStringLiteral(":/images/banner.png")));
    Put(this, banner, {5, 170, 260, 16});
    const auto button = [this](Page page, const char* english, const DialogRect& where,
                               int command) {
        auto* made = Place(page, new QPushButton(Tr(english)), where);
        connect(made, &QPushButton::clicked, this, [this, command] { OnCommand(command); });
    };

    // URL page.
    Frame(Page::kUrl, "URL List", {16, 57, 216, 105});
    c.siteList = Place(Page::kUrl, new QListWidget, {16, 69, 216, 83});
    c.siteList->setViewMode(QListView::IconMode);
    c.siteList->setIconSize(QSize(32, 32));
    c.siteList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    c.siteList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    c.siteList->setMovement(QListView::Static);
    c.siteList->setContextMenuPolicy(Qt::CustomContextMenu);
    c.siteList->viewport()->installEventFilter(this);
    connect(c.siteList, &QListWidget::itemClicked, this, [this] { OnSiteClicked(QCursor::pos()); });
    connect(c.siteList, &QListWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (controls_.siteList->itemAt(at) != nullptr) {
            OnSiteClicked(controls_.siteList->mapToGlobal(at));
        }
    });
    button(Page::kUrl, "ADD NEW", {252, 63, 50, 14}, 1004);
    button(Page::kUrl, "ADVANCED", {252, 83, 50, 14}, 1005);
    button(Page::kUrl, "REMOVE", {252, 104, 50, 14}, 1006);

    // UPDATE page.
    c.updateText = Place(Page::kUpdate, new QLabel(Tr("Recent Update:")), {27, 61, 184, 60});
    c.updateText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    c.updateText->setWordWrap(true);
    c.autoCheck = Place(Page::kUpdate, new UpdateSwitch, {227, 60, 80, 50});
    connect(c.autoCheck, &UpdateSwitch::clicked, this, [this] { OnCommand(1017); });
    c.updateStatus = new QLabel;
    Put(this, c.updateStatus, {27, 123, 280, 10});
    c.updateProgress = new QProgressBar;
    c.updateProgress->setRange(0, 100);
    Put(this, c.updateProgress, {27, 133, 190, 10});
    c.checkButton =
        Place(Page::kUpdate, new QPushButton(QString::fromUtf8(Text(114))), {27, 147, 150, 14});
    connect(c.checkButton, &QPushButton::clicked, this, [this] { OnCommand(1011); });

    // Statistics page.
    Frame(Page::kStatistics, "Url Detail:", {16, 57, 140, 30});
    c.statisticsAddress = Place(Page::kStatistics, Panel(new QLabel), {20, 68, 105, 10});
    button(Page::kStatistics, "Change", {125, 68, 30, 14}, 1041);
    Frame(Page::kStatistics, "Connection Speed:", {16, 90, 140, 78});
    c.graph = Place(Page::kStatistics, new SpeedGraph(history_), {16, 98, 138, 66});
    Frame(Page::kStatistics, "Current Static:", {165, 57, 140, 110});
    c.detail = Place(Page::kStatistics, new QPlainTextEdit, {165, 67, 140, 95});
    c.detail->setReadOnly(true);

    // Report page.
    Frame(Page::kReport, "Url Detail:", {16, 57, 140, 30});
    c.reportAddress = Place(Page::kReport, Panel(new QLabel), {20, 68, 105, 10});
    button(Page::kReport, "Change", {125, 68, 30, 14}, 1101);
    Frame(Page::kReport, "Select report date", {16, 90, 140, 70});
    Place(Page::kReport, new QLabel(Tr("From: ")), {20, 112, 21, 10});
    c.from = DayRow(110);
    Place(Page::kReport, new QLabel(Tr("To: ")), {20, 132, 21, 10});
    c.to = DayRow(130);
    Frame(Page::kReport, "Select filter", {165, 57, 140, 70});
    const auto filter = [this](const char* english, int top) {
        return Place(Page::kReport, Panel(new QCheckBox(FilterLabel(english))),
                     {170, top, 130, 10});
    };
    c.brokenFilter = filter(".Broken link report.", 73);
    c.connectivityFilter = filter(".Connectivity report. ", 88);
    c.speedFilter = filter(".Download speed.", 103);
    button(Page::kReport, "View report now!", {165, 140, 120, 14}, 1115);

    c.tabs->lower();
    ApplyStrip({FullStrip(), 0});
    BuildTitleButtons();
}

Page T_wexfoldDlg::CurrentPage() const {
    const int index = controls_.tabs->currentIndex();
    return index >= 0 && index < static_cast<int>(tabs_.size()) ? tabs_[index] : Page::kUrl;
}

void T_wexfoldDlg::OnTabSelChange() {
    const Page shown = CurrentPage();
    for (const auto& [page, widget] : pageControls_) widget->setVisible(page == shown);
    ShowProgressPair(CheckRunning());
    update();
}

void T_wexfoldDlg::ApplyStrip(const StripChange& change) {
    tabs_ = change.tabs;
    QStringList texts;
    for (Page page : tabs_) texts << QString::fromUtf8(Text(TabTextId(page)));
    controls_.tabs->setTabs(texts, change.selected);
    OnTabSelChange();
}

void T_wexfoldDlg::ShowTabPage(int page, bool show) {
    ApplyStrip(wexfold::ShowTabPage(tabs_, page, show));
}

void T_wexfoldDlg::RefillSiteList() {
    controls_.siteList->clear();
    for (std::size_t i = 0; i < sites_.size(); ++i) {
        controls_.siteList->addItem(QString::fromStdString(SiteNameText(sites_[i])));
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
        controls_.siteList->item(site)->setText(QString::fromStdString(*text));
        log_.OpenSiteLog(sites_[static_cast<std::size_t>(site)]);
    } else if (verdict == RenameVerdict::kDuplicate) {
        Ask("Warning", FormatText(Text(202), text->c_str()), false, false);
    } else if (verdict == RenameVerdict::kTooLong || verdict == RenameVerdict::kUnsafe) {
        Ask("Warning", FormatText(Translate(kUnusableSiteName), text->c_str()), false, false);
    }
}

bool T_wexfoldDlg::eventFilter(QObject* watched, QEvent* event) {
    // A site's tooltip is made when it is asked for, so it always tells the latest check.
    if (watched == controls_.siteList->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QListWidgetItem* item = controls_.siteList->itemAt(help->pos());
        if (item != nullptr) {
            QToolTip::showText(help->globalPos(), SiteToolTip(controls_.siteList->row(item)),
                               controls_.siteList);
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
