#include "gui/qt/dialog_layout.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QRegularExpressionValidator>
#include <algorithm>

#include "gui/qt/dialog_button.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/pictures.h"

namespace stravener::gui {

namespace {

// A closed drop-down list's height in dialog units; the described one is the open list's.
constexpr int kClosedListHeight = 12;
// How many entries an open list shows before it scrolls.
constexpr int kVisibleListEntries = 8;

// Keeps the height the style needs for a one-line control, centred on its row.
void CentreOnRow(QWidget& widget) {
  QRect geometry = widget.geometry();
  const int height = std::max(geometry.height(), widget.sizeHint().height());
  geometry.moveTop(geometry.top() - (height - geometry.height()) / 2);
  geometry.setHeight(height);
  widget.setGeometry(geometry);
}

QWidget* MakeControl(QDialog& dialog, const ControlDescription& control, const DialogUnits& du) {
  const DialogRect place = ControlPlace(control);
  const QRect geometry = du.Rect(place.x, place.y, place.width, place.height);
  const QString text = QString::fromUtf8(ControlText(control));
  switch (control.kind) {
    case ControlKind::PushButton:
    case ControlKind::FlagButton:
      return AddDialogButton(dialog, control.id, text, geometry,
                             (control.style & kDefaultButton) != 0 ? ButtonRole::Default : ButtonRole::Plain);
    case ControlKind::Label: {
      auto* label = new QLabel(text, &dialog);
      label->setGeometry(geometry);
      if ((control.style & kBlueText) != 0) {
        QPalette blue = label->palette();
        blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
        label->setPalette(blue);
      }
      GrowToFitText(*label);
      return label;
    }
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(text, &dialog);
      box->setGeometry(geometry);
      GrowToFitText(*box);
      return box;
    }
    case ControlKind::DropDownList: {
      auto* list = new QComboBox(&dialog);
      list->setGeometry(du.Rect(place.x, place.y, place.width, kClosedListHeight));
      CentreOnRow(*list);
      list->setMaxVisibleItems(kVisibleListEntries);
      return list;
    }
    case ControlKind::NumberField: {
      auto* field = new QLineEdit(&dialog);
      field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
      field->setGeometry(geometry);
      CentreOnRow(*field);
      return field;
    }
    case ControlKind::ProgramIcon: {
      auto* icon = new QLabel(&dialog);
      icon->setGeometry(geometry);
      icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      icon->setPixmap(ProgramIcon().pixmap(QSize(32, 32), dialog.devicePixelRatio()));
      return icon;
    }
    case ControlKind::HorizontalLine: {
      auto* line = new QFrame(&dialog);
      line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
      line->setGeometry(geometry.x(), geometry.y(), geometry.width(), 2);
      return line;
    }
    case ControlKind::EventLog:
    case ControlKind::ProgressBar:
      break;  // the main window's own
  }
  return nullptr;
}

}  // namespace

void LayOutDialog(QDialog& dialog, const DialogDescription& description) {
  const DialogUnits du(dialog.font());
  dialog.setWindowTitle(QString::fromUtf8(DialogCaption(description)));
  dialog.setFixedSize(du.Size(description.width, description.height));
  for (const ControlDescription& control : description.controls) {
    QWidget* widget = MakeControl(dialog, control, du);
    if (widget == nullptr) continue;
    if (control.id != 0) widget->setObjectName(QString::number(control.id));
    if (DisabledAtCreation(control)) widget->setEnabled(false);
  }
}

}  // namespace stravener::gui
