#include "app/window/Prompter.h"

#include <QDir>
#include <QFileDialog>
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
                : icon == PromptIcon::kStop        ? QMessageBox::Critical
                                                   : QMessageBox::NoIcon);
    if (buttons == PromptButtons::kYesNo) {
        QAbstractButton* yes =
            box.addButton(QString::fromUtf8(Translate("Yes")), QMessageBox::YesRole);
        box.addButton(QString::fromUtf8(Translate("No")), QMessageBox::NoRole);
        box.exec();
        return box.clickedButton() == yes ? PromptAnswer::kYes : PromptAnswer::kNo;
    }
    box.addButton(QString::fromUtf8(Translate("OK")), QMessageBox::AcceptRole);
    box.exec();
    return PromptAnswer::kOk;
}

std::string MessageBoxPrompter::ChooseFile(QWidget* owner, bool save) {
    // The filter is stored as "description|pattern|"; Qt takes "description (pattern)", which
    // the description already reads as.
    const QString filter =
        QString::fromUtf8(Translate("URL Configution file (*.wxf)|*.wxf|")).section('|', 0, 0);
    const QString folder = QDir::currentPath();
    QString path;
    if (save) {
        QFileDialog dialog(owner, QString(), folder, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("wxf"));
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            path = dialog.selectedFiles().front();
        }
    } else {
        path = QFileDialog::getOpenFileName(owner, QString(), folder, filter);
    }
    return path.toStdString();
}

}  // namespace wexfold
