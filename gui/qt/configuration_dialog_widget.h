#pragma once

#include <QDialog>

#include "gui/common/configuration_dialog.h"

class QCheckBox;
class QLineEdit;

namespace stravener::gui {

// The logger configuration dialog's widgets: the check box "Skip " and the digits-only
// number field, run by the toolkit-independent ConfigurationDialog.
class ConfigurationDialogWidget : public QDialog, public ConfigurationDialogView {
  Q_OBJECT
 public:
  ConfigurationDialogWidget(ConfigurationDialog& dialog, QWidget* parent = nullptr);
  ~ConfigurationDialogWidget() override;

  std::string NumberFieldText() const override;
  void SetNumberFieldText(const std::string& text) override;
  void EnableNumberField(bool enabled) override;
  void FocusNumberField() override;
  void SelectAllOfNumberField() override;
  bool SkipBoxChecked() const override;
  void SetSkipBoxChecked(bool checked) override;
  void ShowRangeWarning(const std::string& text) override;

 private:
  ConfigurationDialog& dialog_;
  QCheckBox* skipBox_ = nullptr;
  QLineEdit* numberField_ = nullptr;
};

}  // namespace stravener::gui
