#pragma once
// TForm2: the borderless dialog in which the user picks one of several found objects. A
// double-click chooses the selected row (none selected: no choice); Esc closes with no choice,
// even with a row selected; Enter does nothing. Rows can be edited in place and the choice is
// then the edited text.

#include <QDialog>
#include <QStringList>
#include <QTreeWidget>
#include <optional>

namespace vorlix::app {

// The dialog's list: one 300-pixel column, no header, single selection, rows in the order added.
class ChoiceList : public QTreeWidget {
  Q_OBJECT
 public:
  explicit ChoiceList(QWidget* parent = nullptr);

 signals:
  // A double-click anywhere in the list, on a row or on empty space.
  void doubleClicked();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class TForm2 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm2(QWidget* parent = nullptr);

  // Removes all rows and adds one per name, in the given order; no row is selected afterwards.
  void Fill(const QStringList& names);
  // Shows the dialog modally, centred over centreOver (if given), and returns the chosen text.
  std::optional<QString> Choose(QWidget* centreOver);

  ChoiceList* ListView1() const { return list_; }
  // The result of the last showing.
  const std::optional<QString>& Choice() const { return choice_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ListView1DblClick();

  ChoiceList* list_;
  std::optional<QString> choice_;
};

}  // namespace vorlix::app
