#include "app/dialogs/addnewDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/dialogs/DialogGeometry.h"
#include "app/window/Prompter.h"
#include "core/sites/SiteAddress.h"
#include "core/text/StringTable.h"
#include "core/text/TextFormat.h"

namespace wexfold {

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// A static text; QLabel leaves its background transparent, so the picture shows through.
QLabel* Label(QWidget* parent, const char* english, const QRect& where) {
    auto* label = new QLabel(Utf8(Translate(english)), parent);
    label->setGeometry(where);
    return label;
}

void SetColour(QWidget* widget, QPalette::ColorGroup group, QPalette::ColorRole role,
               const QColor& colour) {
    QPalette colours = widget->palette();
    colours.setColor(group, role, colour);
    widget->setPalette(colours);
}

}  // namespace

addnewDlg::addnewDlg(QWidget* parent, std::vector<SiteRecord>& sites, Prompter& prompter,
                     std::function<void(int index)> onSiteAdded)
    : QDialog(parent),
      sites_(sites),
      prompter_(prompter),
      onSiteAdded_(std::move(onSiteAdded)),
      background_(QStringLiteral(":/images/add-background.png")) {
    setWindowTitle(Utf8(Translate("ADD NEW URL")));
    setModal(true);
    setFixedSize(DialogGeometry(0, 0, 282, 160).size());
    // The places below are dialog units of an 8-point dialog font.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);

    Label(this, "Please input an unique name:", DialogGeometry(10, 7, 260, 10));
    Label(this, "Site Name:", DialogGeometry(18, 21, 52, 10));
    name_ = Edit(1020, DialogGeometry(72, 19, 80, 13));
    Label(this, "* Limit to 10 chars. ", DialogGeometry(158, 21, 118, 10));

    Label(this, "Please input URL or IP Detail Info:", DialogGeometry(10, 40, 260, 10));
    Label(this, "Protocol:", DialogGeometry(18, 54, 52, 10));
    protocol_ = new QComboBox(this);
    protocol_->setObjectName("control1023");
    for (const ProtocolChoice& choice : kProtocolChoices) protocol_->addItem(choice.label);
    protocol_->setGeometry(DialogGeometry(72, 52, 56, 13));
    Label(this, "Port:", DialogGeometry(138, 54, 30, 10));
    port_ = Edit(1028, DialogGeometry(170, 52, 40, 13));
    port_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), port_));
    port_->setText(QStringLiteral("80"));

    Label(this, "Domain or IP:", DialogGeometry(18, 71, 52, 10));
    domain_ = Edit(1019, DialogGeometry(72, 69, 198, 13));
    auto* example = new QLabel(
        Utf8(Translate("Example: ")) + QStringLiteral("www.example.com/page.asp?id=3"), this);
    example->setObjectName("control1065");
    example->setGeometry(DialogGeometry(72, 84, 198, 10));
    SetColour(example, QPalette::All, QPalette::WindowText, QColor(200, 150, 150));

    authentication_ = new QCheckBox(Utf8(Translate("My URL need username and password")), this);
    authentication_->setObjectName("control1029");
    authentication_->setAutoFillBackground(true);
    SetColour(authentication_, QPalette::All, QPalette::Window, QColor(240, 240, 240));
    authentication_->move(DialogGeometry(18, 98, 0, 0).topLeft());
    authentication_->adjustSize();

    Label(this, "Username:", DialogGeometry(18, 116, 52, 10));
    user_ = Edit(1026, DialogGeometry(72, 114, 70, 13));
    Label(this, "Password:", DialogGeometry(148, 116, 48, 10));
    password_ = Edit(1027, DialogGeometry(198, 114, 72, 13));
    password_->setEchoMode(QLineEdit::Password);
    for (QLineEdit* field : {user_, password_}) {
        SetColour(field, QPalette::Disabled, QPalette::Base, QColor(230, 220, 220));
        field->setEnabled(false);
    }

    auto* ok = new QPushButton(Utf8(Translate("OK")), this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    ok->setGeometry(DialogGeometry(166, 138, 50, 15));
    auto* cancel = new QPushButton(Utf8(Translate("Cancel")), this);
    cancel->setObjectName("cancelButton");
    cancel->setGeometry(DialogGeometry(222, 138, 50, 15));

    for (const auto& [field, kind] : {std::pair{name_, FormField::kName},
                                      {domain_, FormField::kDomain},
                                      {user_, FormField::kUser},
                                      {password_, FormField::kPassword},
                                      {port_, FormField::kPort}}) {
        connect(field, &QLineEdit::textChanged, this,
                [this, field = field, kind = kind] { KeepWithin(field, kind); });
    }
    connect(protocol_, &QComboBox::currentIndexChanged, this, &addnewDlg::ProtocolChosen);
    connect(authentication_, &QCheckBox::toggled, this, &addnewDlg::AuthenticationToggled);
    connect(ok, &QPushButton::clicked, this, &addnewDlg::CheckAndAdd);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    name_->setFocus();
}

void addnewDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

QLineEdit* addnewDlg::Edit(int id, const QRect& where) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QStringLiteral("control%1").arg(id));
    edit->setGeometry(where);
    return edit;
}

void addnewDlg::KeepWithin(QLineEdit* field, FormField kind) {
    const TypedField checked = CheckTypedField(kind, field->text().toStdString());
    if (checked.message.empty()) return;
    prompter_.Ask(this, Translate("Error!"), checked.message, PromptButtons::kOk,
                  PromptIcon::kStop);
    field->setText(QString::fromStdString(checked.text));
}

void addnewDlg::ProtocolChosen(int index) {
    if (index < 0) return;
    const std::int32_t scheme = FindScheme(kProtocolChoices[index].scheme);
    port_->setText(QString::number(DefaultPort(scheme)));
}

void addnewDlg::AuthenticationToggled(bool checked) {
    user_->setEnabled(checked);
    password_->setEnabled(checked);
    if (checked) user_->setFocus();
}

void addnewDlg::CheckAndAdd() {
    const NewSiteFields fields{name_->text().toStdString(),    protocol_->currentIndex(),
                               port_->text().toStdString(),    domain_->text().toStdString(),
                               authentication_->isChecked(),   user_->text().toStdString(),
                               password_->text().toStdString()};
    const FormVerdict verdict = CheckNewSite(fields, sites_);
    if (verdict.messageId != 0) {
        prompter_.Ask(this, Translate("Warning"), verdict.message, PromptButtons::kOk,
                      PromptIcon::kNone);
        if (QLineEdit* field = Field(verdict.focus)) field->setFocus();
        return;
    }
    sites_.push_back(verdict.record);
    if (onSiteAdded_) onSiteAdded_(static_cast<int>(sites_.size()) - 1);
    accept();
}

QLineEdit* addnewDlg::Field(FormField field) const {
    switch (field) {
        case FormField::kName:
            return name_;
        case FormField::kDomain:
            return domain_;
        case FormField::kUser:
            return user_;
        case FormField::kPassword:
            return password_;
        case FormField::kPort:
            return port_;
        case FormField::kNone:
            break;
    }
    return nullptr;
}

}  // namespace wexfold
