#include "gui/qt/configuration_dialog_widget.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/dialog_button.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/message_box.h"

namespace stravener::gui {

ConfigurationDialogWidget::ConfigurationDialogWidget(ConfigurationDialog& dialog, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      dialog_(dialog) {
  const bool polish = Language == kPolish;
  const ConfigurationDialogTexts texts = CurrentConfigurationDialogTexts();
  const DialogUnits du(font());
  setWindowTitle(QString::fromUtf8(texts.caption));
  setFixedSize(du.Size(190, 81));

  auto* heading = new QLabel(QString::fromUtf8(texts.heading), this);
  heading->setGeometry(du.Rect(7, 7, polish ? 72 : 48, 8));
  GrowToFitText(*heading);

  skipBox_ = new QCheckBox(QString::fromUtf8(texts.skipBox), this);
  skipBox_->setObjectName(QString::number(kSkipCheckBoxId));
  skipBox_->setGeometry(du.Rect(7, 23, polish ? 40 : 32, 10));
  GrowToFitText(*skipBox_);

  numberField_ = new QLineEdit(this);
  numberField_->setObjectName(QString::number(kSkipCountFieldId));
  numberField_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), numberField_));
  numberField_->setEnabled(false);
  // The field keeps the height the style needs, centred on the check box's row.
  QRect field = du.Rect(50, 21, 25, 12);
  const int height = std::max(field.height(), numberField_->sizeHint().height());
  field.moveTop(field.top() - (height - field.height()) / 2);
  field.setHeight(height);
  numberField_->setGeometry(field);

  auto* after = new QLabel(QString::fromUtf8(texts.afterField), this);
  after->setGeometry(du.Rect(80, 23, polish ? 92 : 73, 8));
  GrowToFitText(*after);

  QPushButton* save =
      AddDialogButton(*this, kIdOk, QString::fromUtf8(texts.save), du.Rect(77, 59, 50, 14), ButtonRole::Default);
  QPushButton* cancel =
      AddDialogButton(*this, kIdCancel, QString::fromUtf8(texts.cancel), du.Rect(133, 59, 50, 14), ButtonRole::Plain);

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
