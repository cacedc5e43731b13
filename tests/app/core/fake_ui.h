#pragma once
// Stand-ins for the window's parts, recording what the lookup does to them.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/core/busy_cursor.h"
#include "app/core/choice.h"
#include "app/core/lookup.h"
#include "app/core/member_table_model.h"
#include "app/core/message_sink.h"
#include "app/core/status_bar.h"

namespace vorlix::core::testing {

struct FakeStatusBar : IStatusBar {
  std::array<std::string, 3> panels{"old 0", "old 1", "old 2"};
  std::string notice = "old notice";
  void SetPanel(StatusPanel panel, const std::string& text) override {
    panels.at(static_cast<size_t>(PanelIndex(panel))) = text;
  }
  void SetNotice(const std::string& text) override { notice = text; }
};

// Answers with a fixed choice (none: cancelled) and records what it was shown.
struct FakeChoice : IChoiceDialog {
  std::optional<std::string> answer;
  std::vector<std::string> shown;
  int calls = 0;
  std::optional<std::string> Choose(const std::vector<std::string>& names) override {
    ++calls;
    shown = names;
    return answer;
  }
};

struct FakeCursor : IBusyCursor {
  bool busy = false;
  int shows = 0;
  void Show() override {
    busy = true;
    ++shows;
  }
  void Restore() override { busy = false; }
};

struct FakeMessages : IMessageSink {
  std::vector<std::string> shown;
  void ShowMessage(const std::string& text) override { shown.push_back(text); }
};

// A complete window stand-in with a LookupUi over it.
struct FakeWindow {
  MemberTableModel table;
  FakeStatusBar statusBar;
  FakeChoice choice;
  FakeCursor cursor;
  FakeMessages messages;
  std::optional<std::string> editText;
  LookupUi ui{table,  statusBar, choice,
              cursor, messages,  [this](const std::string& text) { editText = text; },
              nullptr};
};

}  // namespace vorlix::core::testing
