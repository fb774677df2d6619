#pragma once

#include <QDialog>
#include <cstdint>

#include "gui/common/setup_lists.h"

class QComboBox;

namespace stravener::gui {

// The Setup dialog: the COM port the logger is connected to, among the ports the system
// reports, and the speed limit of the track download, among the speeds that port accepts.
// It works on copies of the two values; the caller takes them back only after Save.
class SetupDialog : public QDialog {
  Q_OBJECT
 public:
  SetupDialog(SetupServices services, uint32_t portNumber, uint32_t speed, QWidget* parent = nullptr);

  uint32_t PortNumber() const { return lists_.PortNumber(); }
  uint32_t Speed() const { return lists_.Speed(); }

 private:
  // Shows the speed list as the lists hold it.
  void ShowSpeedList();
  // The Find logger button: selects the port where the logger answered, or says why not.
  void FindLogger();
  void Save();

  SetupLists lists_;
  QComboBox* speedList_ = nullptr;
  QComboBox* portList_ = nullptr;
};

}  // namespace stravener::gui
