// The form hook: several components on one widget form one chain around the widget's own
// handling, and stay in order whichever of them goes first.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "help/form_hook.h"
#include "help/hook_list.h"
#include "qt_test_environment.h"

namespace vorlix::help {
namespace {

constexpr auto kProbe = static_cast<QEvent::Type>(QEvent::User + 7);
using Log = std::vector<std::string>;

class ProbeWidget : public QWidget {
 public:
  explicit ProbeWidget(Log& log) : log_(log) {}

 protected:
  bool event(QEvent* event) override {
    if (event->type() == kProbe) log_.push_back("widget");
    return QWidget::event(event);
  }

 private:
  Log& log_;
};

class RecordingHook : public TfhCustomAppHookComponent {
 public:
  RecordingHook(QObject* owner, std::string name, Log& log)
      : TfhCustomAppHookComponent(owner), name_(std::move(name)), log_(log) {}

  void BeforeHandler(QEvent* event, bool& handled) override {
    if (event->type() != kProbe) return;
    log_.push_back(name_ + ".before");
    if (failBefore) throw std::runtime_error(name_ + " failed");
    handled = handle;
    if (deleteSelf) delete this;
  }
  void AfterHandler(QEvent* event) override {
    TfhCustomAppHookComponent::AfterHandler(event);
    if (event->type() == kProbe) log_.push_back(name_ + ".after");
  }
  void HookReestablished() override { ++rehooked; }
  void CaptionTextChanged() override { ++captionChanges; }

  bool handle = false;
  bool failBefore = false;
  bool deleteSelf = false;
  int rehooked = 0;
  int captionChanges = 0;

 private:
  std::string name_;
  Log& log_;
};

class HelpHookChain : public ::testing::Test {
 protected:
  Log Probe() {
    log.clear();
    QEvent probe(kProbe);
    QCoreApplication::sendEvent(&widget, &probe);
    return log;
  }
  Log log;
  ProbeWidget widget{log};
};

TEST_F(HelpHookChain, TheLastAddedHookRunsFirstBeforeAndLastAfter) {
  auto a = std::make_unique<RecordingHook>(&widget, "A", log);
  auto b = std::make_unique<RecordingHook>(&widget, "B", log);
  EXPECT_EQ(Probe(), (Log{"B.before", "A.before", "widget", "A.after", "B.after"}));
  EXPECT_EQ(TacHookList::Instance()->ChainOf(&widget),
            (std::vector<TfhFormHookComponent*>{a.get(), b.get()}));

  // Handled before: the widget and the hooks inside are skipped; the after-handler still runs.
  b->handle = true;
  EXPECT_EQ(Probe(), (Log{"B.before", "B.after"}));
  b->handle = false;
  a->handle = true;
  EXPECT_EQ(Probe(), (Log{"B.before", "A.before", "A.after", "B.after"}));
}

TEST_F(HelpHookChain, HooksRemovedInEitherOrderLeaveTheOthersWorking) {
  for (const bool firstGoesFirst : {true, false}) {
    SCOPED_TRACE(firstGoesFirst ? "A removed first" : "B removed first");
    auto a = std::make_unique<RecordingHook>(&widget, "A", log);
    auto b = std::make_unique<RecordingHook>(&widget, "B", log);
    if (firstGoesFirst) {
      a.reset();
      EXPECT_EQ(Probe(), (Log{"B.before", "widget", "B.after"}));
      auto c = std::make_unique<RecordingHook>(&widget, "C", log);
      EXPECT_EQ(Probe(), (Log{"C.before", "B.before", "widget", "B.after", "C.after"}));
    } else {
      b.reset();
      EXPECT_EQ(Probe(), (Log{"A.before", "widget", "A.after"}));
    }
    a.reset();
    b.reset();
    EXPECT_EQ(Probe(), (Log{"widget"}));
    EXPECT_EQ(TacHookList::Instance(), nullptr);
  }
}

TEST_F(HelpHookChain, AHookThatGoesDuringItsOwnHandlerStopsThere) {
  auto a = std::make_unique<RecordingHook>(&widget, "A", log);
  auto* b = new RecordingHook(&widget, "B", log);
  b->deleteSelf = true;
  EXPECT_EQ(Probe(), (Log{"B.before", "A.before", "widget", "A.after"}));
  EXPECT_EQ(Probe(), (Log{"A.before", "widget", "A.after"}));
  // The last one going while an event passes frees the registry once the event is through.
  a.reset();
  auto* last = new RecordingHook(&widget, "L", log);
  last->deleteSelf = true;
  EXPECT_EQ(Probe(), (Log{"L.before", "widget"}));
  EXPECT_EQ(TacHookList::Instance(), nullptr);
}

TEST_F(HelpHookChain, ErrorsGoToTheErrorDisplayAndTheEventGoesOn) {
  QStringList shown;
  SetHookErrorDisplay([&](const QString& message) { shown << message; });
  RecordingHook a(&widget, "A", log);
  a.failBefore = true;
  EXPECT_EQ(Probe(), (Log{"A.before", "widget", "A.after"}));
  EXPECT_EQ(shown, QStringList{QStringLiteral("A failed")});
  SetHookErrorDisplay(nullptr);
}

TEST_F(HelpHookChain, OnlyAWidgetCanOwnAHook) {
  QObject plain;
  try {
    RecordingHook hook(&plain, "X", log);
    FAIL() << "a hook on a plain object was made";
  } catch (const InvalidOperation& error) {
    EXPECT_STREQ(error.what(), "Owner must be TWinControl or its descendant!");
  }
  EXPECT_TRUE(plain.children().isEmpty());
  EXPECT_EQ(TacHookList::Instance(), nullptr);
  EXPECT_THROW(RecordingHook(nullptr, "Y", log), InvalidOperation);
}

TEST_F(HelpHookChain, ANewNativeWindowKeepsTheHooksAndTellsThemFirstToLast) {
  RecordingHook a(&widget, "A", log);
  RecordingHook b(&widget, "B", log);
  widget.show();
  ASSERT_TRUE(app::testing::WaitUntil([&] { return widget.isVisible(); }));
  QCoreApplication::processEvents();
  const int before = a.rehooked;
  const WId oldId = widget.winId();
  // Into another window and out again: the widget gets a new native window.
  QWidget host;
  widget.setParent(&host);
  widget.setParent(nullptr);
  widget.show();
  ASSERT_NE(widget.winId(), oldId);
  EXPECT_TRUE(app::testing::WaitUntil([&] { return b.rehooked > before; }));
  EXPECT_EQ(a.rehooked, b.rehooked);
  EXPECT_EQ(Probe(), (Log{"B.before", "A.before", "widget", "A.after", "B.after"}));
}

TEST_F(HelpHookChain, CaptionChangesAreReportedFromTheEventLoop) {
  RecordingHook a(&widget, "A", log);
  widget.setWindowTitle(QStringLiteral("one"));
  EXPECT_EQ(a.captionChanges, 0);
  EXPECT_TRUE(app::testing::WaitUntil([&] { return a.captionChanges == 1; }));
  widget.setWindowTitle(QStringLiteral("one"));
  QCoreApplication::processEvents();
  EXPECT_EQ(a.captionChanges, 1);
  EXPECT_EQ(a.Caption(), QStringLiteral("one"));
}

}  // namespace
}  // namespace vorlix::help
