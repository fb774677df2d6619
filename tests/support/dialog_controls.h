#pragma once

// The configuration dialog's two controls as a user sees and changes them, for the tests of
// the dialog and of the Configuration command, and for the fuzz targets.

#include <string>
#include <vector>

#include "gui/common/configuration_dialog.h"

class DialogControls : public stravener::gui::ConfigurationDialogView {
 public:
  std::string NumberFieldText() const override { return field; }
  void SetNumberFieldText(const std::string& text) override { field = text; }
  void EnableNumberField(bool enabled) override { fieldEnabled = enabled; }
  void FocusNumberField() override { events.push_back("focus"); }
  void SelectAllOfNumberField() override { events.push_back("select"); }
  bool SkipBoxChecked() const override { return boxChecked; }
  void SetSkipBoxChecked(bool checked) override { boxChecked = checked; }
  void ShowRangeWarning(const std::string& text) override { warnings.push_back(text); }

  std::string field;
  bool fieldEnabled = false;  // the field starts disabled
  bool boxChecked = false;
  std::vector<std::string> events;
  std::vector<std::string> warnings;
};
