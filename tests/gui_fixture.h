#pragma once
// Shared set-up of the window tests: the real window, a fake application
// object and a browser that records what it was asked to do.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <memory>

#include "app/TelvaraMain.h"

namespace telvara::testing {

struct FakeApp : AppServices {
  bool prev = false;
  int ended = 0;
  bool PrevInstance() const override { return prev; }
  void End() override { ++ended; }
};

struct BrowserLog {
  std::vector<std::u16string> addresses;
  std::vector<std::string> calls;
  bool failCreate = false;
  int pointerDuringOpen = -1;
};

struct RecordingBrowser : Browser {
  explicit RecordingBrowser(BrowserLog& l) : log(l) {}
  void Navigate2(const std::u16string& a) override {
    log.addresses.push_back(a);
    log.calls.push_back("navigate");
    log.pointerDuringOpen = ScreenPointer();
  }
  void SetVisible(bool) override { log.calls.push_back("visible"); }
  void SetStatusText(const std::u16string&) override { log.calls.push_back("status"); }
  void Release() override { log.calls.push_back("release"); }
  BrowserLog& log;
};

struct RecordingFactory : BrowserFactory {
  BrowserLog log;
  std::unique_ptr<Browser> Create() override {
    if (log.failCreate) throw std::runtime_error("no browser");
    return std::make_unique<RecordingBrowser>(log);
  }
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TelvaraMain>(app, browsers);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  void TearDown() override { window.reset(); }

  // Real key events, one a character; characters beyond ASCII come as a
  // keyboard layout delivers them, with no key code of their own.
  static void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
      if (c.unicode() < 0x80)
        QTest::keyClick(w, c.toLatin1());
      else
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
  // Types the query into the box and presses Enter.
  void Search(const QString& text) {
    window->Text1->setFocus();
    window->Text1->clear();
    Type(window->Text1, text);
    QTest::keyClick(window->Text1, Qt::Key_Return);
  }
  void SetAreaMode(bool area) { QTest::mouseClick(window->Option1[area ? 1 : 0], Qt::LeftButton); }
  void SetExact(bool exact) { window->Check1->SetValue(exact ? 1 : 0); }
  void ChoosePref(const QString& pref) { window->Combo1->setCurrentIndex(window->Combo1->findText(pref)); }
  void ClickHeader(int column) {
    QHeaderView* header = window->ListView1->header();
    // The two one-pixel columns sit on a resize handle: no pointer can click
    // them, so their click comes as the header reports it.
    if (header->sectionSize(column) < 8) {
      emit header->sectionClicked(column);
      return;
    }
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
  }
  QStringList Column(int column) const {
    QStringList cells;
    for (int p = 1; p <= window->ListView1->Count(); ++p) cells << window->ListView1->SubItem(p, column);
    return cells;
  }
  // Accepts the next modal message box and reports what it showed.
  struct Seen {
    bool shown = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
  };
  std::shared_ptr<Seen> ExpectMessageBox() {
    auto seen = std::make_shared<Seen>();
    QTimer::singleShot(0, [seen] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen->shown = true;
      seen->text = box->text();
      seen->title = box->windowTitle();
      seen->icon = box->icon();
      seen->buttons = static_cast<int>(box->buttons().size());
      box->accept();
    });
    return seen;
  }

  FakeApp app;
  RecordingFactory browsers;
  std::unique_ptr<TelvaraMain> window;
};

}  // namespace telvara::testing
