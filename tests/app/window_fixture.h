#pragma once
// A main window started on the window tests' small tree, with its desktop seams recording what
// the window would have shown or opened.

#include <gtest/gtest.h>

#include <QModelIndex>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "app/main_window.h"

namespace vorlix::app::testing {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates and shows the window with a configuration holding `iniText`, and runs the start-up
  // step at once (without waiting for the timer) unless told not to.
  void OpenWindow(const QString& iniText, bool runStartup = true);
  // The configuration that points the window at the test tree.
  static QString TestTreeIni();

  // Types `text` into edit1 and presses Enter.
  void TypeAndEnter(const QString& text);
  void ChooseKind(int kind);
  QStringList Column(int column) const;
  // The cell of memo1's model at `row` and `column`.
  QModelIndex Cell(int row, int column) const;

  std::unique_ptr<TForm1> window;
  // A directory client for the next OpenWindow to use instead of the configured source.
  std::unique_ptr<directory::DirectoryClient> client;
  QStringList messages;      // texts of the message boxes
  QStringList mailCommands;  // commands handed to the mail program
  QStringList saveDialogs;   // titles of the save dialogs shown
  SaveFileRequest lastRequest;
  QString saveAnswer;                     // what the save dialog answers (empty: cancelled)
  QStringList passwordPrompts;            // texts of the password dialogs
  std::optional<QString> passwordAnswer;  // what they answer (nullopt: cancelled)
  core::SteadyClock clock;                // the next window's clock; empty: the system's
};

}  // namespace vorlix::app::testing
