#include "gui/qt/setup_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "app/format.h"
#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/dialog_button.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/message_box.h"

namespace stravener::gui {

namespace {

QString Text(const char* polish, const char* english) {
  return QString::fromUtf8(PickTextOrEmpty(polish, english));
}

}  // namespace

SetupDialog::SetupDialog(SetupServices services, uint32_t portNumber, uint32_t speed, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      lists_(std::move(services), portNumber, speed) {
  const bool polish = Language == kPolish;
  const DialogUnits du(font());
  setWindowTitle(Text("Ustawienia programu", "Program setup"));
  setFixedSize(du.Size(183, 82));

  auto* portLabel = new QLabel(Text("Stravener podłączony do portu:", "Stravener connected to port:"), this);
  portLabel->setGeometry(du.Rect(7, 9, polish ? 108 : 99, 8));
  portList_ = new QComboBox(this);
  portList_->setObjectName(QString::number(kIdPortList));
  portList_->setGeometry(du.Rect(120, 7, 56, 12));
  auto* speedLabel = new QLabel(Text("Maksymalna prędkość transferu:", "Data transfer speed limit:"), this);
  speedLabel->setGeometry(du.Rect(7, 26, polish ? 103 : 78, 8));
  speedList_ = new QComboBox(this);
  speedList_->setObjectName(QString::number(kIdSpeedList));
  speedList_->setGeometry(du.Rect(120, 26, 56, 12));
  // The closed lists are as high as the style wants them, centred on their row.
  for (QComboBox* list : {portList_, speedList_}) {
    QRect geometry = list->geometry();
    const int height = std::max(geometry.height(), list->sizeHint().height());
    geometry.moveTop(geometry.top() - (height - geometry.height()) / 2);
    geometry.setHeight(height);
    list->setGeometry(geometry);
    list->setMaxVisibleItems(8);
  }
  GrowToFitText(*portLabel);
  GrowToFitText(*speedLabel);
  // Labels that needed more room push the lists to the right rather than under them.
  const int listLeft = std::max(portLabel->geometry().right(), speedLabel->geometry().right()) + 1 + du.X(4);
  if (listLeft > portList_->x()) {
    for (QComboBox* list : {portList_, speedList_}) list->move(listLeft, list->y());
  }
  portLabel->setBuddy(portList_);
  speedLabel->setBuddy(speedList_);

  // Left of Save: sends the information request to each port in turn and selects the one
  // where the logger answered.
  QPushButton* find = AddDialogButton(*this, kIdFindLogger, Text("Znajdź logger", "Find logger"),
                                      du.Rect(7, 59, 57, 14), ButtonRole::Plain);
  QPushButton* save =
      AddDialogButton(*this, kIdOk, Text("Zapisz", "Save"), du.Rect(70, 59, 50, 14), ButtonRole::Default);
  QPushButton* cancel =
      AddDialogButton(*this, kIdCancel, Text("Anuluj", "Cancel"), du.Rect(126, 59, 50, 14), ButtonRole::Plain);
  connect(find, &QPushButton::clicked, this, &SetupDialog::FindLogger);
  connect(save, &QPushButton::clicked, this, &SetupDialog::Save);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  for (const std::string& entry : lists_.PortEntries()) portList_->addItem(QString::fromStdString(entry));
  portList_->setCurrentIndex(lists_.SelectedPort());
  ShowSpeedList();

  // Entries that carry their device ("COM33 (ttyUSB0)") need wider lists than the names
  // alone; both lists keep one width.
  int listWidth = portList_->width();
  for (QComboBox* list : {portList_, speedList_}) {
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    listWidth = std::max(listWidth, list->sizeHint().width());
  }
  for (QComboBox* list : {portList_, speedList_}) {
    list->setSizeAdjustPolicy(QComboBox::AdjustToContentsOnFirstShow);
    list->resize(listWidth, list->height());
  }
  GrowToFitControls(*this, du.X(7));

  // From now on every change of port probes again.
  connect(portList_, &QComboBox::currentIndexChanged, this, [this](int index) {
    lists_.SelectPort(index);
    ShowSpeedList();
  });
  connect(speedList_, &QComboBox::currentIndexChanged, this, [this](int index) { lists_.SelectSpeed(index); });
}

void SetupDialog::ShowSpeedList() {
  const QSignalBlocker quiet(speedList_);
  speedList_->clear();
  for (const std::string& entry : lists_.SpeedEntries()) speedList_->addItem(QString::fromStdString(entry));
  speedList_->setCurrentIndex(lists_.SelectedSpeed());
}

void SetupDialog::FindLogger() {
  // Each silent port takes two seconds.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool found = lists_.FindLogger();
  QApplication::restoreOverrideCursor();
  if (!found) {
    ShowMessageBox(this, lists_.SearchReport(), QMessageBox::NoIcon, QMessageBox::Ok);
    return;
  }
  const QSignalBlocker quiet(portList_);
  portList_->setCurrentIndex(lists_.SelectedPort());
  ShowSpeedList();
}

void SetupDialog::Save() {
  lists_.Save();
  accept();
}

}  // namespace stravener::gui
