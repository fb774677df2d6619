#pragma once

#include <cstdint>
#include <string>

#include "gui/common/control_ids.h"

namespace stravener::gui {

// The two controls the configuration dialog works on, as each front end provides them:
// widgets in the desktop programs, recorders in tests.
class ConfigurationDialogView {
 public:
  virtual ~ConfigurationDialogView() = default;
  // The number field (control 1018): digits only, initially disabled.
  virtual std::string NumberFieldText() const = 0;
  virtual void SetNumberFieldText(const std::string& text) = 0;
  virtual void EnableNumberField(bool enabled) = 0;
  virtual void FocusNumberField() = 0;
  virtual void SelectAllOfNumberField() = 0;
  // The check box (control 1017).
  virtual bool SkipBoxChecked() const = 0;
  virtual void SetSkipBoxChecked(bool checked) = 0;
  // The range message: caption "Stravener Tool", an OK button, the exclamation icon.
  virtual void ShowRangeWarning(const std::string& text) = 0;
};

// The dialog in which the user edits the logger's one setting: how many points it skips
// between two writes to its track memory. Toolkit-independent: it talks to its controls
// only through ConfigurationDialogView, so both desktop programs and the tests share it.
// The Configuration command opens it on the logger's value and, when it ends with Save,
// hands ValueToSave() to ConfigureLogger.
class ConfigurationDialog {
 public:
  // The number shown in the field; the caller sets the logger's value before running.
  uint8_t skipCount = 1;
  // The state of the check box.
  bool skipEnabled = false;

  // The controls; set by the front end before InitDialog.
  void Attach(ConfigurationDialogView* view) { view_ = view; }

  // One direction per call. Loading (saveAndValidate false) shows skipEnabled in the box
  // and skipCount in the field ("%u"). Taking (true) reads the box, then, only when it is
  // ticked, validates the field into skipCount. False when validation failed.
  bool ExchangeData(bool saveAndValidate);

  // Loads the controls; with a nonzero skipCount ticks the box and enables the field.
  bool InitDialog();

  // A click on the check box: takes the data with validation (its outcome is not looked
  // at), enables the field when the box is ticked and moves the focus into it.
  void OnSkipClicked();

  // Save: takes the data with validation; true when the dialog may end with OK.
  bool OnSave() { return ExchangeData(true); }

  // Reads the field as strtol does with base 10; a number outside 1..255 shows the range
  // message, focuses the field, selects its text and fails (the dialog stays open).
  bool ValidateSkipCount(int controlId, uint8_t& destination);

  // The value the save-configuration sentence carries: skipCount when the box is ticked,
  // else 0.
  uint8_t ValueToSave() const { return skipEnabled ? skipCount : 0; }

 private:
  ConfigurationDialogView* view_ = nullptr;
};

}  // namespace stravener::gui
