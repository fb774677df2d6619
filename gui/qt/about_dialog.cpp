#include "gui/qt/about_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/language.h"
#include "gui/common/build_text.h"
#include "gui/common/control_ids.h"
#include "gui/qt/dialog_layout.h"
#include "gui/qt/dialog_units.h"
#include "platform/program_version.h"

namespace stravener::gui {

AboutDialog::AboutDialog(QWidget* parent, const std::string& buildDate, const std::string& buildTime)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  // Without a title bar the dialog draws its own raised edge, under its controls.
  const DialogUnits du(font());
  setFixedSize(du.Size(AboutDescription().width, AboutDescription().height));
  auto* edge = new QFrame(this);
  edge->setFrameStyle(QFrame::Panel | QFrame::Raised);
  edge->setLineWidth(2);
  edge->setGeometry(rect());
  LayOutDialog(*this, AboutDescription());

  DescribedControl<QLabel>(*this, kIdVersionText)->setText(QString::fromStdString(ProgramVersionText()));
  DescribedControl<QLabel>(*this, kIdBuildText)
      ->setText(QString::fromStdString(BuildText(buildDate, buildTime, Language)));
  QPushButton* ok = DescribedControl<QPushButton>(*this, kIdOk);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}

}  // namespace stravener::gui
