#include "gui/qt/about_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "app/format.h"
#include "app/language.h"
#include "gui/common/build_text.h"
#include "gui/common/control_ids.h"
#include "gui/qt/dialog_button.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/pictures.h"
#include "platform/program_version.h"

namespace stravener::gui {

namespace {

QString Text(const char* polish, const char* english) {
  return QString::fromUtf8(PickTextOrEmpty(polish, english));
}

QLabel* AddLabel(QWidget* parent, const QString& text, const QRect& geometry, int id = 0) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(geometry);
  if (id != 0) label->setObjectName(QString::number(id));
  GrowToFitText(*label);
  return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent, const std::string& buildDate, const std::string& buildTime)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
  const bool polish = Language == kPolish;
  const DialogUnits du(font());
  setWindowTitle(QString::fromUtf8(kCaption));
  setFixedSize(du.Size(187, 97));

  // Without a title bar the dialog draws its own raised edge.
  auto* edge = new QFrame(this);
  edge->setFrameStyle(QFrame::Panel | QFrame::Raised);
  edge->setLineWidth(2);
  edge->setGeometry(rect());

  auto* icon = new QLabel(this);
  const QRect iconCell = du.Rect(7, 7, 20, 20);
  icon->setGeometry(iconCell);
  icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  icon->setPixmap(ProgramIcon().pixmap(QSize(32, 32), devicePixelRatio()));

  AddLabel(this, QStringLiteral("Stravener Tool"), du.Rect(40, 7, 55, 8));
  AddLabel(this, Text("Wersja", "Version"), du.Rect(40, 17, polish ? 23 : 24, 8));
  AddLabel(this, QString::fromStdString(ProgramVersionText()), du.Rect(82, 17, 98, 8), kIdVersionText);
  AddLabel(this, Text("Kompilacja", "Compiled"), du.Rect(40, 27, polish ? 35 : 30, 8));
  AddLabel(this, QString::fromStdString(BuildText(buildDate, buildTime, Language)), du.Rect(82, 27, 98, 8),
           kIdBuildText);

  auto* line = new QFrame(this);
  line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  const QRect lineCell = du.Rect(40, 41, 140, 1);
  line->setGeometry(lineCell.x(), lineCell.y(), lineCell.width(), 2);

  AddLabel(this, Text("Obsługa rejestratora GPS", "GPS track logger service"), du.Rect(40, 47, 102, 8));
  QLabel* contact = AddLabel(this, QStringLiteral("www.quillet.example"), du.Rect(39, 57, 86, 8), kIdContactLine);
  QPalette blue = contact->palette();
  blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
  contact->setPalette(blue);

  QPushButton* ok =
      AddDialogButton(*this, kIdOk, QStringLiteral("OK"), du.Rect(130, 75, 50, 15), ButtonRole::Default);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  ok->setFocus();
}

}  // namespace stravener::gui
