// The "ADD NEW URL" dialog: asks for a new site's name and address, keeps each field within
// its limit while the user types, and on OK appends the checked site to the list.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <cstddef>
#include <functional>
#include <vector>

#include "core/sites/NewSiteForm.h"
#include "core/sites/SiteRecord.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace wexfold {

class Prompter;

class addnewDlg : public QDialog {
    Q_OBJECT

  public:
    // onSiteAdded gets the index of the appended site before the dialog closes.
    addnewDlg(QWidget* parent, std::vector<SiteRecord>& sites, Prompter& prompter,
              std::function<void(int index)> onSiteAdded);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QLineEdit* Edit(int id, const QRect& where);
    // Shows the limit message and cuts the field when its text is longer than the limit.
    void KeepWithin(QLineEdit* field, FormField kind);
    void ProtocolChosen(int index);
    void AuthenticationToggled(bool checked);
    void CheckAndAdd();
    QLineEdit* Field(FormField field) const;

    std::vector<SiteRecord>& sites_;
    Prompter& prompter_;
    std::function<void(int index)> onSiteAdded_;
    QPixmap background_;
    QLineEdit* name_;
    QComboBox* protocol_;
    QLineEdit* port_;
    QLineEdit* domain_;
    QCheckBox* authentication_;
    QLineEdit* user_;
    QLineEdit* password_;
};

}  // namespace wexfold
