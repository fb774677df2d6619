#pragma once

#include <QDialog>

#include "gui/common/dialog_description.h"

namespace stravener::gui {

// Lays a dialog out from its description in the current language: its caption and fixed
// size, and its controls in tab order, each carrying its id as its object name. Labels and
// check boxes grow where their text needs more room in the font at hand; a closed
// drop-down list or a number field keeps the height the style needs, centred on its row.
// The dialog then finds its controls by id and gives them their behaviour.
void LayOutDialog(QDialog& dialog, const DialogDescription& description);

// The control with this id that LayOutDialog made.
template <typename Widget>
Widget* DescribedControl(QDialog& dialog, int id) {
  return dialog.findChild<Widget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

}  // namespace stravener::gui
