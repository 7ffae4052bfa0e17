#include "app/dialogs/sreport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app/dialogs/DialogGeometry.h"
#include "app/widgets/ReportChart.h"
#include "app/window/Prompter.h"
#include "core/text/StringTable.h"

namespace wexfold {

namespace {

constexpr int kFigureMilliseconds = 100;
constexpr int kPrevious = 1;  // the up-down control's delta for its left arrow
constexpr int kNext = -1;
constexpr int kGap = 4;  // pixels between the controls of the "Show log:" row

QString Tr(const char* english) {
    return QString::fromUtf8(Translate(english));
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, const QRect& where) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(where);
    return label;
}

// A page as the edit shows it: CR LF and a final CR become plain line ends, so every log
// entry is one line and no stray carriage return is drawn.
QString PageText(const std::string& page) {
    std::string text;
    text.reserve(page.size());
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\r' && (i + 1 == page.size() || page[i + 1] == '\n')) {
            if (i + 1 == page.size()) text += '\n';
            continue;
        }
        text += page[i];
    }
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QToolButton* Arrow(QWidget* parent, const char* name, Qt::ArrowType direction) {
    auto* arrow = new QToolButton(parent);
    arrow->setObjectName(name);
    arrow->setArrowType(direction);
    arrow->setFocusPolicy(Qt::NoFocus);  // the keys go to the stepper as a whole
    arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return arrow;
}

}  // namespace

sreport::sreport(QWidget* parent, const ReportRequest& request, Prompter& prompter,
                 const std::filesystem::path& base)
    : QDialog(parent),
      // A long range or a huge file takes a while to read: timers, painting and the engine's
      // hand-overs go on meanwhile, while input waits until the dialog is up.
      report_(
          BuildReport(request, base,
                      [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); })),
      pager_(report_),
      prompter_(prompter) {
    setWindowTitle(QString::fromUtf8(ReportCaption(request)));
    setModal(true);
    // The listing's template with the chart in a column of its own to the right of it.
    setFixedSize(DialogGeometry(0, 0, 610, 295).size());

    auto* ok = new QPushButton(Tr("OK"), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    ok->setGeometry(DialogGeometry(305, 7, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* cancel = new QPushButton(Tr("Cancel"), this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(DialogGeometry(305, 24, 50, 14));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    broken_ =
        Label(this, "brokenLabel", Tr("Break Rate: 0%, 0 Minutes "), DialogGeometry(7, 7, 170, 10));
    connectivity_ = Label(this, "connectivityLabel", Tr("Connectivity Rate: 100%, 0 Minutes "),
                          DialogGeometry(7, 18, 170, 10));
    speed_ = Label(this, "speedLabel", Tr("Average download speed: No Data!"),
                   DialogGeometry(7, 30, 170, 10));
    QLabel* showLog = Label(this, "showLogLabel", Tr("Show log:"), DialogGeometry(7, 44, 32, 10));
    showLog->adjustSize();

    // A font wider than the template's pushes the stepper and the page label along the row
    // rather than letting them cover the label before them.
    auto* stepper = new QWidget(this);
    stepper->setObjectName("pageStepper");
    stepper->setFocusPolicy(Qt::StrongFocus);
    QRect stepperCell = DialogGeometry(42, 42, 47, 11);
    stepperCell.moveLeft(std::max(stepperCell.left(), showLog->geometry().right() + kGap));
    stepper->setGeometry(stepperCell);
    auto* arrows = new QHBoxLayout(stepper);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    QToolButton* previous = Arrow(stepper, "previousPageButton", Qt::LeftArrow);
    QToolButton* next = Arrow(stepper, "nextPageButton", Qt::RightArrow);
    arrows->addWidget(previous);
    arrows->addWidget(next);
    connect(previous, &QToolButton::clicked, this, [this] { Step(kPrevious); });
    connect(next, &QToolButton::clicked, this, [this] { Step(kNext); });
    for (const auto& [key, delta] : {std::pair{Qt::Key_Left, kPrevious}, {Qt::Key_Right, kNext}}) {
        auto* shortcut = new QShortcut(QKeySequence(key), stepper);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, delta = delta] { Step(delta); });
    }

    QRect pageCell = DialogGeometry(97, 44, 75, 10);
    pageCell.moveLeft(std::max(pageCell.left(), stepperCell.right() + kGap));
    pageLabel_ = Label(this, "pageLabel", {}, pageCell);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(DialogGeometry(178, 7, 7, 44));

    Label(this, "urlLabel", QString::fromUtf8(ReportUrlLabel(request)),
          DialogGeometry(190, 7, 112, 10));
    auto* date = Label(this, "dateLabel", QString::fromUtf8(ReportDateLabel(request)),
                       DialogGeometry(190, 18, 112, 31));
    date->setWordWrap(false);

    page_ = new QPlainTextEdit(this);
    page_->setObjectName("pageText");
    page_->setReadOnly(true);
    page_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    page_->setGeometry(DialogGeometry(7, 54, 348, 234));

    chart_ = new ReportChart(this);
    chart_->setObjectName("reportChart");
    chart_->setGeometry(DialogGeometry(362, 7, 241, 281));
    chart_->ShowDays(report_.days);

    ShowPage();
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &sreport::ShowFigures);
    timer_->start(kFigureMilliseconds);
}

void sreport::Step(int delta) {
    const ReportPager::Step step = delta == kPrevious ? pager_.Previous() : pager_.Next();
    if (step != ReportPager::Step::kMoved) {
        prompter_.Ask(this, Translate("Note"), ReportPager::NoteText(step), PromptButtons::kOk,
                      PromptIcon::kWarning);
        return;
    }
    ShowPage();
}

void sreport::ShowFigures() {
    broken_->setText(QString::fromUtf8(report_.BrokenLabel()));
    connectivity_->setText(QString::fromUtf8(report_.ConnectivityLabel()));
    speed_->setText(QString::fromUtf8(report_.SpeedLabel()));
}

void sreport::ShowPage() {
    page_->setPlainText(PageText(pager_.PageText()));
    pageLabel_->setText(QString::fromUtf8(pager_.PageLabel()));
}

}  // namespace wexfold
