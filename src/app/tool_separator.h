#pragma once
// A tool bar separator of a fixed width: blank space with an etched line in its middle.

#include <QWidget>

namespace vorlix::app {

class ToolSeparator : public QWidget {
 public:
  ToolSeparator(int width, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vorlix::app
