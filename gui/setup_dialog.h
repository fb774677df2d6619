#pragma once

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

#include "gui/setup_ports.h"

class QComboBox;

namespace stravener::gui {

// The Setup dialog: the COM port the logger is connected to, among the ports the system
// reports, and the speed limit of the track download, among the speeds that port accepts.
// It works on copies of the two values; the caller takes them back only after Save.
class SetupDialog : public QDialog {
  Q_OBJECT
 public:
  SetupDialog(SetupServices services, uint32_t portNumber, uint32_t speed, QWidget* parent = nullptr);

  uint32_t PortNumber() const { return portNumber_; }
  uint32_t Speed() const { return speed_; }

 private:
  // The port number of the selected port entry; 0 when nothing is selected.
  uint32_t SelectedPortNumber() const;
  // Refills the speed list for the selected port from its probe and selects the fastest.
  void FillSpeedList();
  void Save();

  SetupServices services_;
  uint32_t portNumber_;
  uint32_t speed_;
  QComboBox* speedList_ = nullptr;
  QComboBox* portList_ = nullptr;
};

}  // namespace stravener::gui
