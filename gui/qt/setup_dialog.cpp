#include "gui/qt/setup_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <algorithm>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include "gui/common/control_ids.h"
#include "gui/qt/dialog_layout.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/message_box.h"

namespace stravener::gui {

SetupDialog::SetupDialog(SetupServices services, uint32_t portNumber, uint32_t speed, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      lists_(std::move(services), portNumber, speed) {
  const DialogUnits du(font());
  LayOutDialog(*this, SetupDescription());
  portList_ = DescribedControl<QComboBox>(*this, kIdPortList);
  speedList_ = DescribedControl<QComboBox>(*this, kIdSpeedList);
  // The labels, in tab order before their lists.
  auto* portLabel = qobject_cast<QLabel*>(portList_->previousInFocusChain());
  auto* speedLabel = qobject_cast<QLabel*>(speedList_->previousInFocusChain());
  // Labels that needed more room push the lists to the right rather than under them.
  const int listLeft = std::max(portLabel->geometry().right(), speedLabel->geometry().right()) + 1 + du.X(4);
  if (listLeft > portList_->x()) {
    for (QComboBox* list : {portList_, speedList_}) list->move(listLeft, list->y());
  }
  portLabel->setBuddy(portList_);
  speedLabel->setBuddy(speedList_);

  // Find logger, left of Save, sends the information request to each port in turn and
  // selects the one where the logger answered.
  connect(DescribedControl<QPushButton>(*this, kIdFindLogger), &QPushButton::clicked, this, &SetupDialog::FindLogger);
  connect(DescribedControl<QPushButton>(*this, kIdOk), &QPushButton::clicked, this, &SetupDialog::Save);
  connect(DescribedControl<QPushButton>(*this, kIdCancel), &QPushButton::clicked, this, &QDialog::reject);

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
