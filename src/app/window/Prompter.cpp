#include "app/window/Prompter.h"

#include <QMessageBox>
#include <QPushButton>

#include "core/text/StringTable.h"

namespace wexfold {

PromptAnswer MessageBoxPrompter::Ask(QWidget* owner, const std::string& caption,
                                     const std::string& text, PromptButtons buttons,
                                     PromptIcon icon) {
    QMessageBox box(owner);
    box.setWindowTitle(QString::fromStdString(caption));
    box.setText(QString::fromStdString(text));
    box.setIcon(icon == PromptIcon::kWarning       ? QMessageBox::Warning
                : icon == PromptIcon::kInformation ? QMessageBox::Information
                                                   : QMessageBox::NoIcon);
    if (buttons == PromptButtons::kYesNo) {
        QAbstractButton* yes = box.addButton(QString::fromUtf8(Translate("Yes")), QMessageBox::YesRole);
        box.addButton(QString::fromUtf8(Translate("No")), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes ? PromptAnswer::kYes : PromptAnswer::kNo;
    }
    box.addButton(QString::fromUtf8(Translate("OK")), QMessageBox::AcceptRole);
    box.exec();
    return PromptAnswer::kOk;
}

}  // namespace wexfold
