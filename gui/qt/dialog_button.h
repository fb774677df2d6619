#pragma once

#include <QPushButton>
#include <QRect>
#include <QString>

class QDialog;

namespace stravener::gui {

enum class ButtonRole { Default, Plain };

// A push button of a dialog, carrying its control id, as a Windows dialog has it: a focused
// push button takes Enter itself, and Enter where no push button has the focus goes to the
// default button (Save, OK). Nothing else.
QPushButton* AddDialogButton(QDialog& dialog, int id, const QString& text, const QRect& geometry, ButtonRole role);

}  // namespace stravener::gui
