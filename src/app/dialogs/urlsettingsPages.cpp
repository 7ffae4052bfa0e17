// The controls of the settings dialog's three pages, placed in pixels on the tab control
// whose drawing is given in pixels too, and wired to the clicks and checks of the pages.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <type_traits>

#include "app/dialogs/urlsettings.h"
#include "app/dialogs/urlsettingsStrip.h"
#include "app/window/Prompter.h"
#include "core/sites/SiteAddress.h"
#include "core/text/StringTable.h"

namespace wexfold {

namespace {

QString Tr(const char* english) {
    return QString::fromUtf8(Translate(english));
}

QButtonGroup* Group(QObject* owner,
                    std::initializer_list<std::pair<QAbstractButton*, int>> buttons) {
    auto* group = new QButtonGroup(owner);
    for (const auto& [button, id] : buttons) group->addButton(button, id);
    return group;
}

}  // namespace

template <typename T>
T* urlsettings::Add(int id, T* widget, int left, int top, int width, int height) {
    widget->setParent(strip_);
    widget->setObjectName(QStringLiteral("control%1").arg(id));
    widget->setGeometry(left, top, width, height);
    if constexpr (std::is_same_v<T, QCheckBox> || std::is_same_v<T, QRadioButton>) {
        if (!widget->text().isEmpty()) FitToText(widget);
    }
    controls_[id] = widget;
    return widget;
}

// Check boxes, radio buttons and the name text stand on their own light grey, a darker one
// while disabled.
void urlsettings::Colour(int id, bool logChoice) {
    QWidget* widget = Control(id);
    QPalette colours = widget->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Window, QColor(245, 245, 245));
    }
    colours.setColor(QPalette::Disabled, QPalette::Window,
                     logChoice ? QColor(240, 230, 230) : QColor(230, 220, 220));
    widget->setPalette(colours);
    widget->setAutoFillBackground(true);
}

void urlsettings::WatchTyping(QLineEdit* edit, SettingsField field) {
    connect(edit, &QLineEdit::textEdited, this, [this, edit, field](const QString& text) {
        const TypedCheck check = CheckTyped(field, text.toStdString());
        if (!check.message.Refuses()) return;
        host_.prompter.Ask(this, check.message.caption, check.message.text, PromptButtons::kOk,
                           PromptIcon::kStop);
        edit->setText(QString::fromStdString(check.text));
    });
}

QLineEdit* urlsettings::DigitsEdit(int id, int left, int top, int width, SettingsField field) {
    auto* edit = Add(id, new QLineEdit, left, top, width, 20);
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), edit));
    WatchTyping(edit, field);
    return edit;
}

void urlsettings::BuildMonitorPage() {
    Add(1052, new QLabel(Tr("Setting Interval time of each connection:")), 14, 30, 380, 16);
    auto* defaultUnit =
        Add(1043, new QRadioButton(Tr("Default interval. (10 seconds)")), 30, 52, 260, 18);
    const char* unitTexts[] = {"Seconds.", "Minutes.", "Hours."};
    const SettingsField unitFields[] = {SettingsField::kSeconds, SettingsField::kMinutes,
                                        SettingsField::kHours};
    QAbstractButton* unitRadios[3];
    for (int k = 0; k < 3; ++k) {
        const int top = 76 + 24 * k;
        unitRadios[k] = Add(1044 + k, new QRadioButton, 30, top, 18, 18);
        DigitsEdit(1047 + k, 52, top - 1, 50, unitFields[k])->setEnabled(false);
        Add(1055 + k, new QLabel(Tr(unitTexts[k])), 108, top + 1, 150, 16);
    }
    units_ = Group(this, {{defaultUnit, kIntervalDefault},
                          {unitRadios[0], kIntervalSeconds},
                          {unitRadios[1], kIntervalMinutes},
                          {unitRadios[2], kIntervalHours}});
    connect(units_, &QButtonGroup::idClicked, this,
            [this](int unit) { OnUnitClicked(unit, true); });
    Colour(1043);
}

void urlsettings::BuildReportPage() {
    auto* alert = Add(1058, new QCheckBox(Tr("Connetion lost")), 14, 32, 120, 18);
    DigitsEdit(1060, 140, 31, 40, SettingsField::kAlertMinutes);
    Add(1061, new QLabel(Tr("Minutes popup Alert window.")), 186, 33, 210, 16);
    connect(alert, &QCheckBox::clicked, Control(1060), &QWidget::setEnabled);

    auto* logging = Add(1059, new QCheckBox(Tr("Enable logging")), 14, 62, 200, 18);
    connect(logging, &QCheckBox::clicked, this, &urlsettings::EnableLogChoices);
    auto* broken = Add(1062, new QRadioButton(Tr("Only log broken link report.")), 34, 86, 300, 18);
    auto* all = Add(1064, new QRadioButton(Tr("Log all event detail info.")), 34, 108, 300, 18);
    Add(1063, new QCheckBox(Tr("Automatically delete log file every month.")), 34, 130, 300, 18);
    Group(this, {{broken, 0}, {all, 1}});
    for (const int id : {1058, 1059}) Colour(id);
    for (const int id : {1062, 1063, 1064}) Colour(id, true);
}

void urlsettings::BuildUrlPage() {
    Add(1067, new QLabel(Tr("Name:")), 14, 31, 290, 18);
    auto* change = Add(1073, new QPushButton(Tr("Change")), 316, 28, 70, 24);
    connect(change, &QPushButton::clicked, this, &urlsettings::OnChange);
    Add(1070, new QLabel(Tr("URL or IP:")), 14, 64, 84, 16);
    WatchTyping(Add(1075, new QLineEdit, 100, 62, 290, 20), SettingsField::kAddress);

    Add(1068, new QLabel(Tr("Protocol:")), 14, 95, 84, 16);
    protocols_ = Add(1078, new QComboBox, 100, 92, 90, 22);
    for (const ProtocolChoice& choice : kProtocolChoices) protocols_->addItem(choice.label);
    protocols_->setCurrentIndex(0);
    connect(protocols_, &QComboBox::activated, this, &urlsettings::OnProtocolChosen);
    Add(1069, new QLabel(Tr("Port:")), 226, 95, 50, 16);
    DigitsEdit(1074, 280, 93, 60, SettingsField::kPort);

    auto* authentication =
        Add(1079, new QCheckBox(Tr("My Site need Authentication")), 22, 160, 260, 18);
    connect(authentication, &QCheckBox::clicked, this,
            [this](bool checked) { EnableCredentials(checked, true); });
    Add(1071, new QLabel(Tr("User Name:")), 22, 187, 72, 16);
    auto* user = Add(1076, new QLineEdit, 96, 185, 100, 20);
    Add(1072, new QLabel(Tr("Password:")), 206, 187, 72, 16);
    auto* password = Add(1077, new QLineEdit, 280, 185, 106, 20);
    password->setEchoMode(QLineEdit::Password);
    WatchTyping(user, SettingsField::kUser);
    WatchTyping(password, SettingsField::kPassword);
    EnableCredentials(false, false);
    for (const int id : {1067, 1079}) Colour(id);
}

// The frame and the target radios of the Monitor and Report pages, with their "Change".
void urlsettings::BuildTargets() {
    Add(1054, new QFrame, 10, 152, 386, 60)->setFrameStyle(QFrame::Box | QFrame::Sunken);
    const std::pair<int, int> radios[] = {{1050, 1051}, {1081, 1082}};
    for (const auto& [all, one] : radios) {
        auto* allSites = Add(all, new QRadioButton(Tr("Add to All sites")), 22, 172, 130, 18);
        auto* oneSite = Add(one, new QRadioButton(Tr("Add to")), 160, 172, 150, 18);
        Group(this, {{allSites, 0}, {oneSite, 1}});
        Colour(all);
        Colour(one);
    }
    auto* change = Add(1053, new QPushButton(Tr("Change")), 316, 169, 70, 24);
    connect(change, &QPushButton::clicked, this, &urlsettings::OnChange);
}

}  // namespace wexfold
