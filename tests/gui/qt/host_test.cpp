#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/language.h"
#include "gui/common/control_ids.h"
#include "gui/qt/main_window.h"
#include "gui_test_support.h"
#include "support/language_guard.h"

using namespace stravener;
using namespace stravener::gui;

namespace {

struct Box {
  std::string text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::vector<std::string> buttons;
  std::string defaultButton;  // the text of the button Enter presses
};

// Records the next message box and presses the button with the given role.
OnNextModal Answer(Box& box, QMessageBox::StandardButton press) {
  return OnNextModal([&box, press](QWidget* modal) {
    auto* message = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(message, nullptr);
    box.text = message->text().toStdString();
    box.caption = message->windowTitle().toStdString();
    box.icon = message->icon();
    for (QAbstractButton* button : message->buttons()) box.buttons.push_back(button->text().toStdString());
    if (message->defaultButton() != nullptr) box.defaultButton = message->defaultButton()->text().toStdString();
    message->button(press)->click();
  });
}

// The file dialog's list of file types.
QComboBox* TypeList(QFileDialog& dialog) { return dialog.findChild<QComboBox*>("fileTypeCombo"); }

// Chooses a file type in the dialog's list as the user does.
void ChooseType(QFileDialog& dialog, int index) {
  QComboBox* list = TypeList(dialog);
  list->setCurrentIndex(index);
  emit list->activated(index);
  emit list->textActivated(list->itemText(index));
}

// Whether the dialog lists the file, waiting up to waitMs for its folder to be read.
bool Listed(QFileDialog& dialog, const std::string& path, int waitMs = 3000) {
  auto* model = dialog.findChild<QFileSystemModel*>();
  if (model == nullptr) return false;
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (model->index(QString::fromStdString(path)).isValid()) return true;
    if (clock.elapsed() >= waitMs) return false;
  }
}

}  // namespace

TEST(WindowHostTest, MessageBoxesHaveTheCaptionIconsAndButtonsOfTheirKind) {
  ScopedConfigHome home;
  LanguageGuard polish(kPolish);
  MainWindow window(Operations{}, SetupServices{});
  WindowHost& host = window.Session();

  Box notice;
  {
    auto watcher = Answer(notice, QMessageBox::Ok);
    host.ShowNotice("Pamięć wyczyszczona.");
    EXPECT_TRUE(watcher.Seen());
  }
  EXPECT_EQ(notice.text, "Pamięć wyczyszczona.");
  EXPECT_EQ(notice.caption, "Stravener Tool");
  EXPECT_EQ(notice.icon, QMessageBox::NoIcon);
  EXPECT_EQ(notice.buttons, std::vector<std::string>{"OK"});

  Box question;
  {
    auto watcher = Answer(question, QMessageBox::Ok);
    EXPECT_TRUE(host.AskOkCancel("Usunąć?", DefaultButton::Ok));
  }
  EXPECT_EQ(question.icon, QMessageBox::Question);
  EXPECT_EQ(question.caption, "Stravener Tool");
  ASSERT_EQ(question.buttons.size(), 2u);
  EXPECT_EQ(question.defaultButton, "OK");
  Box refused;
  {
    auto watcher = Answer(refused, QMessageBox::Cancel);
    EXPECT_FALSE(host.AskOkCancel("Usunąć?", DefaultButton::Cancel));
  }
  EXPECT_NE(std::find(refused.buttons.begin(), refused.buttons.end(), "Anuluj"), refused.buttons.end());
  EXPECT_EQ(refused.defaultButton, "Anuluj");

  Box warning;
  {
    auto watcher = Answer(warning, QMessageBox::Ok);
    host.ShowWarning("Podaj liczbę z zakresu od 1 do 255.");
  }
  EXPECT_EQ(warning.icon, QMessageBox::Warning);
  EXPECT_EQ(warning.buttons, std::vector<std::string>{"OK"});
}

// The scaling of a range above what the bar holds is WindowSessionTest's.
TEST(WindowHostTest, TheProgressBarShowsTheRangeAndPosition) {
  ScopedConfigHome home;
  MainWindow window(Operations{}, SetupServices{});
  WindowHost& host = window.Session();
  auto* bar = Control<QProgressBar>(window, kIdProgress);
  host.SetProgressRange(2048);
  host.SetProgressPosition(1024);
  EXPECT_EQ(bar->maximum(), 2048);
  EXPECT_EQ(bar->value(), 1024);
  host.SetProgressRange(0xffffffffu);
  host.SetProgressPosition(0xffffffffu);
  EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(WindowHostTest, SaveChoiceShowsTheTypesAsWrittenAppendsTheirExtensionAndWantsAnExistingFolder) {
  ScopedConfigHome home;
  LanguageGuard english(kEnglish);
  TempDir folder;
  std::ofstream(folder.File("README")) << "no extension";
  std::ofstream(folder.File("old.plt")) << "a track";
  const QString previous = QDir::currentPath();
  QDir::setCurrent(QString::fromStdString(folder.Path().string()));
  MainWindow window(Operations{}, SetupServices{});
  WindowHost& host = window.Session();
  // The download's own choice.
  const FileChoice choice{"Save track as",
                          "Track files (*.plt)|*.plt|Binary files (*.bin)|*.bin|All files (*.*)|*.*||", "plt",
                          "20240102_log"};

  std::string title, name;
  std::vector<std::string> types;
  bool plainFileListedWithTracks = true, plainFileListedWithAll = false;
  OnNextModal typed([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    title = dialog->windowTitle().toStdString();
    for (int i = 0; i < TypeList(*dialog)->count(); ++i) types.push_back(TypeList(*dialog)->itemText(i).toStdString());
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    name = edit->text().toStdString();
    // The track files show; "All files (*.*)" shows every file, also one without a dot.
    EXPECT_TRUE(Listed(*dialog, folder.File("old.plt")));
    plainFileListedWithTracks = Listed(*dialog, folder.File("README"), 0);
    ChooseType(*dialog, 2);
    plainFileListedWithAll = Listed(*dialog, folder.File("README"));
    ChooseType(*dialog, 0);
    static_cast<QDialog*>(dialog)->accept();  // as the Save button does
  });
  const std::optional<std::string> chosen = host.ChooseSaveFile(choice);
  EXPECT_TRUE(typed.Seen());
  EXPECT_EQ(title, "Save track as");
  EXPECT_EQ(types, (std::vector<std::string>{"Track files (*.plt)", "Binary files (*.bin)", "All files (*.*)"}));
  EXPECT_FALSE(plainFileListedWithTracks);
  EXPECT_TRUE(plainFileListedWithAll);
  EXPECT_EQ(name, "20240102_log");
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, folder.File("20240102_log.plt"));

  OnNextModal binary([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    ChooseType(*dialog, 1);
    dialog->selectFile("raw");
    static_cast<QDialog*>(dialog)->accept();  // as the Save button does
  });
  EXPECT_EQ(host.ChooseSaveFile(choice).value_or(""), folder.File("raw.bin"));

  // A name in a folder that does not exist is refused, and the dialog stays open.
  Box refusal;
  bool stayedOpen = false;
  OnNextModal missing([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText("missing/track.plt");
    {
      auto answer = Answer(refusal, QMessageBox::Ok);
      static_cast<QDialog*>(dialog)->accept();
      EXPECT_TRUE(answer.Seen());
    }
    stayedOpen = dialog->isVisible();
    dialog->reject();
  });
  EXPECT_FALSE(host.ChooseSaveFile(choice).has_value());
  EXPECT_TRUE(missing.Seen());
  EXPECT_TRUE(stayedOpen);
  EXPECT_NE(refusal.text.find(folder.File("missing/track.plt")), std::string::npos) << refusal.text;
  EXPECT_EQ(refusal.icon, QMessageBox::Warning);
  EXPECT_EQ(refusal.buttons, std::vector<std::string>{"OK"});
  EXPECT_FALSE(std::filesystem::exists(folder.File("missing")));

  OnNextModal cancelled([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
  EXPECT_FALSE(host.ChooseSaveFile(choice).has_value());
  EXPECT_TRUE(cancelled.Seen());
  QDir::setCurrent(previous);
}
