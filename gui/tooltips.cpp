#include "gui/tooltips.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "gui/control_ids.h"

namespace stravener::gui {

const char* TooltipText(int controlId) {
  switch (controlId) {
    case kIdCancel:
      return "Kończy pracę programu.";
    case kIdOpenPort:
      return "Otwiera port COM do komunikacji z stravenerem.";
    case kIdClosePort:
      return "Zamyka port COM po komunikacji z stravenerem.";
    case kIdUpgrade:
      return "Aktualizuje oprogramowanie wewnętrzne stravenera.";
    case kIdAbout:
      return "Wyświetla informacje o programie.";
    case kIdInformation:
      return "Pokazuje informacje o urządzeniu i zajętości pamięci.";
    case kIdRestart:
      return "Restartuje procesor stravenera.";
    case kIdReadTrack:
      return "Odczytuje pamięć logu do pliku.";
    case kIdEraseTrack:
      return "Czyści zawartość pamięci logu.";
    case kIdConfiguration:
      return "Pozwala na zmianę ustawień użytkownika.";
    case kIdSetup:
      return "Pozwala na zmianę ustawień programu.";
    default:
      return nullptr;
  }
}

bool TooltipFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  auto* help = static_cast<QHelpEvent*>(event);
  bool isId = false;
  const int id = widget != nullptr ? widget->objectName().toInt(&isId) : 0;
  const char* text = isId && id != 0 ? TooltipText(id) : nullptr;
  if (widget != nullptr && widget->isEnabled() && text != nullptr) {
    QToolTip::showText(help->globalPos(), QString::fromUtf8(text), widget);
  } else {
    // A disabled control asks in vain: no tip at all.
    QToolTip::hideText();
    event->ignore();
  }
  return true;
}

}  // namespace stravener::gui
