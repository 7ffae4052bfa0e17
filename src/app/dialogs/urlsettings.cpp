#include "app/dialogs/urlsettings.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <array>

#include "app/dialogs/urlsettingsStrip.h"
#include "app/window/Prompter.h"
#include "core/sites/SiteRename.h"
#include "core/text/StringTable.h"

namespace wexfold {

namespace {

// Dialog size and the places of its pictures, tab control and buttons, in pixels.
constexpr int kWidth = 459;
constexpr int kHeight = 306;
constexpr int kButtonTop = 277;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

QString Utf8(const std::string& text) {
    return QString::fromStdString(text);
}

// A site's name on a button, where '&' would mark a shortcut.
QString ButtonText(const std::string& text) {
    return Utf8(text).replace('&', "&&");
}

void Picture(QWidget* parent, const char* path, const QRect& where) {
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap(path));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(where);
}

// The controls each page shows; the frame 1054 stands on every page.
bool OnPage(int id, int page) {
    switch (page) {
        case urlsettings::kMonitorPage:
            return (id >= 1043 && id <= 1053) || (id >= 1055 && id <= 1057);
        case urlsettings::kReportPage:
            return (id >= 1058 && id <= 1064) || id == 1053 || id == 1081 || id == 1082;
        default:
            return id >= 1067 && id <= 1079;
    }
}

// The edit a refusal is about.
int FieldControl(SettingsField field) {
    switch (field) {
        case SettingsField::kSeconds:
            return 1047;
        case SettingsField::kMinutes:
            return 1048;
        case SettingsField::kHours:
            return 1049;
        case SettingsField::kAlertMinutes:
            return 1060;
        case SettingsField::kPort:
            return 1074;
        case SettingsField::kAddress:
            return 1075;
        case SettingsField::kUser:
            return 1076;
        case SettingsField::kPassword:
            return 1077;
        case SettingsField::kNone:
            break;
    }
    return 0;
}

}  // namespace

urlsettings::urlsettings(SettingsHost host, QWidget* parent)
    : QDialog(parent), host_(std::move(host)) {
    setWindowTitle(QString::fromUtf8(Text(214)));
    setModal(true);
    setFixedSize(kWidth, kHeight);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(236, 233, 216));
    setPalette(colours);
    setAutoFillBackground(true);

    Picture(this, ":/images/about-strip.png", QRect(0, 0, 47, 260));
    Picture(this, ":/images/settings-strip.png", QRect(0, 261, kWidth, 12));
    strip_ = new SettingsTabStrip(this);
    strip_->move(47, 0);
    connect(strip_, &SettingsTabStrip::currentChanged, this, &urlsettings::ShowPage);
    BuildTargets();
    BuildMonitorPage();
    BuildReportPage();
    BuildUrlPage();

    const std::pair<const char*, const char*> buttons[] = {
        {"okButton", "OK"}, {"cancelButton", "Cancel"}, {"applyButton", "Apply"}};
    QPushButton* made[3];
    for (int i = 0; i < 3; ++i) {
        made[i] = new QPushButton(QString::fromUtf8(Translate(buttons[i].second)), this);
        made[i]->setObjectName(buttons[i].first);
        made[i]->setAutoDefault(false);
        made[i]->setGeometry(kWidth - 8 - (3 - i) * kButtonWidth - (2 - i) * 6, kButtonTop,
                             kButtonWidth, kButtonHeight);
    }
    made[0]->setDefault(true);
    connect(made[0], &QPushButton::clicked, this, &urlsettings::accept);
    connect(made[1], &QPushButton::clicked, this, &urlsettings::reject);
    connect(made[2], &QPushButton::clicked, this, &urlsettings::OnApply);

    // Without a site to fill them from, the pages start at the default interval and with the
    // boxes' fields disabled.
    units_->button(kIntervalDefault)->setChecked(true);
    Control(1060)->setEnabled(false);
    EnableLogChoices(false);
    const SettingsOpening opening = OpenSettings(host_.selectionMark, host_.sites.size());
    pageSites_[kMonitorPage] = opening.monitorSite;
    pageSites_[kReportPage] = opening.reportSite;
    pageSites_[kUrlPage] = opening.urlSite;
    // The "all sites" radios, or the "this site" ones.
    const std::array<int, 2> targets =
        opening.allSites ? std::array<int, 2>{1050, 1081} : std::array<int, 2>{1051, 1082};
    for (const int id : targets) qobject_cast<QAbstractButton*>(Control(id))->setChecked(true);
    if (opening.monitorSite >= 0) FillMonitorPage(opening.monitorSite);
    if (opening.reportSite >= 0) FillReportPage(opening.reportSite);
    if (opening.urlSite >= 0) FillUrlPage(opening.urlSite);
    monitorShown_ = MonitorNow();
    reportShown_ = ReportNow();
    ShowPage(kMonitorPage);
}

void urlsettings::FitToText(QWidget* button) {
    button->resize(button->sizeHint().width(), button->height());
}

QWidget* urlsettings::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

int urlsettings::CurrentPage() const {
    return strip_->currentIndex();
}

void urlsettings::ShowPage(int page) {
    strip_->setCurrentIndex(page);
    for (const auto& [id, control] : controls_) control->setVisible(id == 1054 || OnPage(id, page));
    update();
}

bool urlsettings::Checked(int id) const {
    return qobject_cast<QAbstractButton*>(Control(id))->isChecked();
}

std::string urlsettings::Typed(int id) const {
    const QWidget* control = Control(id);
    return qobject_cast<const QLineEdit*>(control)->text().toStdString();
}

void urlsettings::FillMonitorPage(int site) {
    const SiteRecord& record = host_.sites[static_cast<std::size_t>(site)];
    qobject_cast<QAbstractButton*>(Control(1051))->setText(ButtonText(AddToText(record)));
    FitToText(Control(1051));
    const MonitorFields fields = MonitorPageOf(record);
    units_->button(fields.unit)->setChecked(true);
    for (int k = 0; k < 3; ++k) {
        if (fields.values[k].empty()) continue;
        qobject_cast<QLineEdit*>(Control(1047 + k))->setText(Utf8(fields.values[k]));
    }
    OnUnitClicked(fields.unit, false);
}

void urlsettings::FillReportPage(int site) {
    const SiteRecord& record = host_.sites[static_cast<std::size_t>(site)];
    qobject_cast<QAbstractButton*>(Control(1082))->setText(ButtonText(AddToText(record)));
    FitToText(Control(1082));
    const ReportFields fields = ReportPageOf(record);
    qobject_cast<QAbstractButton*>(Control(1058))->setChecked(fields.alertOnLoss);
    qobject_cast<QLineEdit*>(Control(1060))->setText(Utf8(fields.alertMinutes));
    Control(1060)->setEnabled(fields.alertOnLoss);
    qobject_cast<QAbstractButton*>(Control(1059))->setChecked(fields.logEnabled);
    qobject_cast<QAbstractButton*>(Control(fields.logAllDetail ? 1064 : 1062))->setChecked(true);
    qobject_cast<QAbstractButton*>(Control(1063))->setChecked(fields.autoDeleteLogs);
    EnableLogChoices(fields.logEnabled);
}

void urlsettings::FillUrlPage(int site) {
    const SiteRecord& record = host_.sites[static_cast<std::size_t>(site)];
    qobject_cast<QLabel*>(Control(1067))
        ->setText(QString::fromUtf8(Translate("Name: ")) + Utf8(SiteNameText(record)));
    const UrlFields fields = UrlPageOf(record);
    qobject_cast<QLineEdit*>(Control(1074))->setText(Utf8(fields.port));
    qobject_cast<QLineEdit*>(Control(1075))->setText(Utf8(fields.address));
    if (fields.protocol >= 0) protocols_->setCurrentIndex(fields.protocol);
    protocol_ = fields.protocol;
    qobject_cast<QAbstractButton*>(Control(1079))->setChecked(fields.authentication);
    qobject_cast<QLineEdit*>(Control(1076))->setText(Utf8(fields.user));
    qobject_cast<QLineEdit*>(Control(1077))->setText(Utf8(fields.password));
    EnableCredentials(fields.authentication, false);
}

void urlsettings::OnUnitClicked(int unit, bool focus) {
    for (int k = 0; k < 3; ++k) {
        QWidget* edit = Control(1047 + k);
        edit->setEnabled(k + 1 == unit);
        if (focus && k + 1 == unit) edit->setFocus();
    }
}

void urlsettings::EnableLogChoices(bool enabled) {
    for (const int id : {1062, 1063, 1064}) Control(id)->setEnabled(enabled);
}

void urlsettings::EnableCredentials(bool enabled, bool focus) {
    Control(1076)->setEnabled(enabled);
    Control(1077)->setEnabled(enabled);
    if (enabled && focus) Control(1076)->setFocus();
}

void urlsettings::OnChange() {
    const int command = host_.runMenu ? host_.runMenu(SettingsSiteMenu(host_.sites)) : 0;
    const int site = ChosenSite(command, host_.sites.size());
    if (site < 0) return;
    const int page = CurrentPage();
    pageSites_[page] = site;
    if (page == kMonitorPage) FillMonitorPage(site);
    if (page == kReportPage) FillReportPage(site);
    if (page == kUrlPage) FillUrlPage(site);
    // The page now shows that site: the user's edits start from here.
    if (page == kMonitorPage) monitorShown_ = MonitorNow();
    if (page == kReportPage) reportShown_ = ReportNow();
}

void urlsettings::OnProtocolChosen(int protocol) {
    auto* port = qobject_cast<QLineEdit*>(Control(1074));
    port->setText(Utf8(PortAfterProtocol(port->text().toStdString(), protocol_, protocol)));
    protocol_ = protocol;
}

MonitorFields urlsettings::MonitorNow() const {
    MonitorFields fields;
    fields.unit = units_->checkedId();
    for (int k = 0; k < 3; ++k) fields.values[k] = Typed(1047 + k);
    fields.allSites = Checked(1050);
    return fields;
}

ReportFields urlsettings::ReportNow() const {
    ReportFields fields;
    fields.alertOnLoss = Checked(1058);
    fields.alertMinutes = Typed(1060);
    fields.logEnabled = Checked(1059);
    fields.logAllDetail = Checked(1064);
    fields.autoDeleteLogs = Checked(1063);
    fields.allSites = Checked(1081);
    return fields;
}

SettingsForm urlsettings::Form() const {
    SettingsForm form;
    form.monitorSite = pageSites_[kMonitorPage];
    form.reportSite = pageSites_[kReportPage];
    form.urlSite = pageSites_[kUrlPage];
    form.monitor = MonitorNow();
    form.report = ReportNow();
    form.monitorShown = monitorShown_;
    form.reportShown = reportShown_;
    form.url.address = Typed(1075);
    form.url.protocol = protocol_;
    form.url.port = Typed(1074);
    form.url.authentication = Checked(1079);
    form.url.user = Typed(1076);
    form.url.password = Typed(1077);
    return form;
}

bool urlsettings::OnApply() {
    std::vector<SiteRecord>& sites = host_.sites;
    MonitorEngine& engine = host_.engine;
    // A site without a monitor has nothing to tell: its record's value counts as running.
    const auto running = [&](int site) {
        return site < engine.MonitorCount()
                   ? engine.Monitor(site).intervalSeconds
                   : static_cast<std::uint32_t>(
                         sites[static_cast<std::size_t>(site)].intervalSeconds);
    };
    const SettingsOutcome outcome = ApplySettings(sites, Form(), running);
    // Each site's monitor takes its new interval and the window logs it before the next site.
    for (const int site : outcome.intervalChanged) {
        engine.Monitor(site).intervalSeconds =
            static_cast<std::uint32_t>(sites[static_cast<std::size_t>(site)].intervalSeconds);
        engine.HandleResult(site, RESULT_INTERVAL_CHANGED);
    }
    if (outcome.addressSite >= 0) {
        engine.SiteChanged(outcome.addressSite);
        if (host_.addressChanged) host_.addressChanged(outcome.addressSite, outcome.oldAddress);
    }
    if (!outcome.applied) {
        Refuse(outcome.refusal);
        return false;
    }
    monitorShown_ = MonitorNow();
    reportShown_ = ReportNow();
    return true;
}

void urlsettings::accept() {
    if (OnApply()) QDialog::accept();
}

void urlsettings::Refuse(const SettingsMessage& message) {
    host_.prompter.Ask(this, message.caption, message.text, PromptButtons::kOk, PromptIcon::kStop);
    const int id = FieldControl(message.field);
    if (id == 0) return;
    ShowPage(id <= 1049 ? kMonitorPage : id == 1060 ? kReportPage : kUrlPage);
    Control(id)->setFocus();
}

}  // namespace wexfold
