#include "gui/qt/configuration_dialog_widget.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "gui/common/control_ids.h"
#include "gui/qt/dialog_layout.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/message_box.h"

namespace stravener::gui {

ConfigurationDialogWidget::ConfigurationDialogWidget(ConfigurationDialog& dialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      dialog_(dialog) {
  const DialogUnits du(font());
  LayOutDialog(*this, ConfigurationDescription());
  skipBox_ = DescribedControl<QCheckBox>(*this, kSkipCheckBoxId);
  numberField_ = DescribedControl<QLineEdit>(*this, kSkipCountFieldId);
  QPushButton* save = DescribedControl<QPushButton>(*this, kIdOk);
  QPushButton* cancel = DescribedControl<QPushButton>(*this, kIdCancel);
  GrowToFitControls(*this, du.X(7));

  connect(skipBox_, &QCheckBox::clicked, this, [this] { dialog_.OnSkipClicked(); });
  connect(save, &QPushButton::clicked, this, [this] {
    if (dialog_.OnSave()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  dialog_.Attach(this);
  dialog_.InitDialog();
  skipBox_->setFocus();
}

ConfigurationDialogWidget::~ConfigurationDialogWidget() { dialog_.Attach(nullptr); }

std::string ConfigurationDialogWidget::NumberFieldText() const { return numberField_->text().toStdString(); }

void ConfigurationDialogWidget::SetNumberFieldText(const std::string& text) {
  numberField_->setText(QString::fromStdString(text));
}

void ConfigurationDialogWidget::EnableNumberField(bool enabled) { numberField_->setEnabled(enabled); }

void ConfigurationDialogWidget::FocusNumberField() { numberField_->setFocus(Qt::OtherFocusReason); }

void ConfigurationDialogWidget::SelectAllOfNumberField() { numberField_->selectAll(); }

bool ConfigurationDialogWidget::SkipBoxChecked() const { return skipBox_->isChecked(); }

void ConfigurationDialogWidget::SetSkipBoxChecked(bool checked) { skipBox_->setChecked(checked); }

void ConfigurationDialogWidget::ShowRangeWarning(const std::string& text) {
  ShowMessageBox(this, text, QMessageBox::Warning, QMessageBox::Ok);
}

}  // namespace stravener::gui
