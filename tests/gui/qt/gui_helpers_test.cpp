#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <memory>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/about_dialog.h"
#include "gui/qt/configuration_dialog_widget.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/file_choice_dialog.h"
#include "gui/qt/main_window.h"
#include "gui/qt/setup_dialog.h"
#include "gui_test_support.h"
#include "support/language_guard.h"

using namespace stravener;
using namespace stravener::gui;

TEST(DialogFilterTest, EachTypeKeepsItsLabelAndGivesItsPatternsInTheLastBrackets) {
  EXPECT_EQ(DialogFilters("Track files (*.plt)|*.plt|All files (*.*)|*.*||"),
            QStringList({"Track files (*.plt) (*.plt)", "All files (*.*) (*)"}));
  EXPECT_EQ(DialogFilters("Firmware|*.upg|All files|*.*||"), QStringList({"Firmware (*.upg)", "All files (*)"}));
  EXPECT_EQ(DialogFilters("Tracks|*.plt;*.bin||"), QStringList({"Tracks (*.plt *.bin)"}));
  EXPECT_EQ(DialogFilters("Pliki śladu (*.plt)|*.plt||"), QStringList({"Pliki śladu (*.plt) (*.plt)"}));
  EXPECT_TRUE(DialogFilters("").isEmpty());
}

TEST(DialogUnitsTest, ConvertsWithTheFontsBaseUnitsRoundingToTheNearestPixel) {
  const DialogUnits du(6, 13);
  EXPECT_EQ(du.X(4), 6);
  EXPECT_EQ(du.X(247), 371);  // 370.5 rounds up
  EXPECT_EQ(du.Y(8), 13);
  EXPECT_EQ(du.Y(228), 371);  // 370.5
  EXPECT_EQ(du.Y(3), 5);      // 4.875
  // Neighbouring rectangles share their edges: both corners are converted.
  const QRect a = du.Rect(7, 28, 50, 14);
  const QRect b = du.Rect(57, 28, 10, 14);
  EXPECT_EQ(a.x() + a.width(), b.x());
  EXPECT_EQ(a, QRect(11, 46, 75, 22));
}

namespace {

// The text a widget shows; empty for one without text.
QString ShownText(QWidget& widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(&widget)) return button->text();
  if (auto* label = qobject_cast<QLabel*>(&widget)) return label->text();
  return {};
}

// Every described control is there with its text, at its place: a control with an id found
// by it, one without by its text. Push buttons keep their size; labels and check boxes may
// grow to fit their text in the font at hand, and one-line controls take the height the
// style needs.
void ExpectLaidOutFrom(QDialog& dialog, const DialogDescription& description) {
  const DialogUnits du(dialog.font());
  EXPECT_EQ(dialog.windowTitle().toStdString(), DialogCaption(description));
  for (const ControlDescription& control : description.controls) {
    const std::string text = ControlText(control);
    QWidget* widget = nullptr;
    for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const bool match = control.id != 0 ? child->objectName() == QString::number(control.id)
                                         : !text.empty() && ShownText(*child).toStdString() == text;
      if (match) widget = child;
    }
    if (control.id == 0 && text.empty()) continue;  // the icon and the line: the pictures show them
    ASSERT_NE(widget, nullptr) << text << " " << control.id;
    if (control.id != kIdVersionText && control.id != kIdBuildText) {
      EXPECT_EQ(ShownText(*widget).toStdString(), text) << control.id;
    }
    const DialogRect place = ControlPlace(control);
    const QRect expected = du.Rect(place.x, place.y, place.width, place.height);
    // A dialog whose texts needed more room is wider: its buttons moved right with its edge.
    EXPECT_GE(widget->x(), expected.x()) << text << " " << control.id;
    EXPECT_LE(widget->x(), expected.x() + dialog.width() - du.X(description.width)) << text << " " << control.id;
    if (control.kind == ControlKind::PushButton || control.kind == ControlKind::FlagButton) {
      EXPECT_EQ(widget->y(), expected.y()) << text << " " << control.id;
      EXPECT_EQ(widget->size(), expected.size()) << text << " " << control.id;
    } else {
      EXPECT_GE(widget->width(), expected.width()) << text << " " << control.id;
      EXPECT_NEAR(widget->y(), expected.y(), du.Y(4)) << text << " " << control.id;
    }
    EXPECT_EQ(widget->isEnabled(), !DisabledAtCreation(control)) << text << " " << control.id;
  }
}

}  // namespace

TEST(DialogLayoutTest, EachDialogIsBuiltFromItsDescriptionInBothLanguages) {
  ScopedConfigHome home;
  for (const int language : {kPolish, kEnglish}) {
    LanguageGuard guard(language);
    SCOPED_TRACE(language == kPolish ? "Polish" : "English");
    MainWindow window(Operations{}, SetupServices{});
    ExpectLaidOutFrom(window, MainWindowDescription());
    SetupDialog setup(SetupServices{[] { return std::vector<std::string>{"COM1"}; }, [](uint32_t) { return 0u; }},
                      1, 115200);
    ExpectLaidOutFrom(setup, SetupDescription());
    ConfigurationDialog model;
    model.skipCount = 0;
    ConfigurationDialogWidget configuration(model);
    ExpectLaidOutFrom(configuration, ConfigurationDescription());
    AboutDialog about;
    ExpectLaidOutFrom(about, AboutDescription());
  }
}
