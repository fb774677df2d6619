#include "gui/common/configuration_dialog.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "app/format.h"
#include "app/language.h"

namespace stravener::gui {

bool ConfigurationDialog::ExchangeData(bool saveAndValidate) {
  if (view_ == nullptr) return false;
  if (!saveAndValidate) {
    view_->SetSkipBoxChecked(skipEnabled);
    view_->SetNumberFieldText(FormatText("%u", static_cast<unsigned>(skipCount)));
    return true;
  }
  // The box is taken before the number, so skipEnabled holds its state even when the
  // number then fails.
  skipEnabled = view_->SkipBoxChecked();
  if (!skipEnabled) return true;
  return ValidateSkipCount(kSkipCountFieldId, skipCount);
}

bool ConfigurationDialog::InitDialog() {
  skipEnabled = false;
  ExchangeData(false);
  if (skipCount != 0) {
    if (view_ != nullptr) view_->EnableNumberField(true);
    skipEnabled = true;
    ExchangeData(false);
  }
  return true;
}

void ConfigurationDialog::OnSkipClicked() {
  ExchangeData(true);
  if (view_ == nullptr) return;
  view_->EnableNumberField(skipEnabled);
  if (skipEnabled) view_->FocusNumberField();
}

bool ConfigurationDialog::ValidateSkipCount(int controlId, uint8_t& destination) {
  (void)controlId;  // the dialog has one number field
  if (view_ == nullptr) return false;
  const std::string text = view_->NumberFieldText();
  errno = 0;
  const long number = std::strtol(text.c_str(), nullptr, 10);
  if (number < 1 || number > 255) {
    view_->ShowRangeWarning(PickTextOrEmpty("Podaj liczbę z zakresu od 1 do 255.", "Input number from 1 to 255."));
    view_->FocusNumberField();
    view_->SelectAllOfNumberField();
    return false;
  }
  destination = static_cast<uint8_t>(number);
  return true;
}

}  // namespace stravener::gui
