// TForm2: a double-click chooses, Esc cancels, Enter and single clicks do nothing.

#include "app/choice_dialog.h"

#include <gtest/gtest.h>

#include <QTest>

#include "qt_test_environment.h"

namespace vorlix::app {
namespace {

const QStringList kNames = {"Sales.acme", "Sales East.acme", "Sales West.acme"};

QPoint RowCentre(TForm2& dialog, int row) {
  return dialog.ListView1()->visualItemRect(dialog.ListView1()->topLevelItem(row)).center();
}

TEST(GuiChoiceDialog, DoubleClickChoosesAndSingleClicksOrEnterDoNotClose) {
  TForm2 dialog;
  dialog.Fill(kNames);
  testing::OnNextModal([&](QWidget*) {
    QWidget* viewport = dialog.ListView1()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, RowCentre(dialog, 0));
    QTest::keyClick(dialog.ListView1(), Qt::Key_Down);
    QTest::keyClick(dialog.ListView1(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowCentre(dialog, 2));
  });
  EXPECT_EQ(dialog.Choose(nullptr), std::optional<QString>(kNames[2]));
}

TEST(GuiChoiceDialog, EscCancelsEvenWithASelectedRow) {
  TForm2 dialog;
  dialog.Fill(kNames);
  testing::OnNextModal([&](QWidget*) {
    dialog.ListView1()->setCurrentItem(dialog.ListView1()->topLevelItem(1));
    QTest::keyClick(dialog.ListView1(), Qt::Key_Escape);
  });
  EXPECT_EQ(dialog.Choose(nullptr), std::nullopt);
}

TEST(GuiChoiceDialog, DoubleClickOnEmptySpaceWithoutSelectionGivesNoChoice) {
  TForm2 dialog;
  dialog.Fill(kNames);
  testing::OnNextModal([&](QWidget*) {
    QTest::mouseDClick(dialog.ListView1()->viewport(), Qt::LeftButton, {}, QPoint(100, 250));
  });
  EXPECT_EQ(dialog.Choose(nullptr), std::nullopt);
  EXPECT_FALSE(dialog.isVisible());
}

TEST(GuiChoiceDialog, TheChoiceIsTheEditedTextAndTheDialogIsCentred) {
  QWidget owner;
  owner.setGeometry(100, 100, 798, 441);
  owner.show();
  TForm2 dialog(&owner);
  dialog.Fill(kNames);
  QPoint centre;
  testing::OnNextModal([&](QWidget*) {
    centre = dialog.frameGeometry().center();
    dialog.ListView1()->topLevelItem(1)->setText(0, QStringLiteral("Sales North.acme"));
    dialog.ListView1()->setCurrentItem(dialog.ListView1()->topLevelItem(1));
    QTest::mouseDClick(dialog.ListView1()->viewport(), Qt::LeftButton, {}, RowCentre(dialog, 1));
  });
  EXPECT_EQ(dialog.Choose(&owner), std::optional<QString>(QStringLiteral("Sales North.acme")));
  EXPECT_LE((centre - owner.frameGeometry().center()).manhattanLength(), 2);
}

}  // namespace
}  // namespace vorlix::app
