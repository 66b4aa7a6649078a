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

// Records the address each opened browser was sent to, and the pointer meanwhile.
struct RecordingFactory : BrowserFactory {
  std::vector<std::u16string> addresses;
  bool failCreate = false;
  int pointerDuringOpen = -1;

  struct Recorder : Browser {
    explicit Recorder(RecordingFactory& f) : factory(f) {}
    void Navigate2(const std::u16string& a) override {
      factory.addresses.push_back(a);
      factory.pointerDuringOpen = ScreenPointer();
    }
    void SetVisible(bool) override {}
    void SetStatusText(const std::u16string&) override {}
    void Release() override {}
    RecordingFactory& factory;
  };
  std::unique_ptr<Browser> Create() override {
    if (failCreate) throw std::runtime_error("no browser");
    return std::make_unique<Recorder>(*this);
  }
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TelvaraMain>(app, browsers);
    if (!activate) window->installEventFilter(&noActivation);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(activate ? QTest::qWaitForWindowActive(window.get()) : QTest::qWaitForWindowExposed(window.get()));
  }

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
  // Types the query into the emptied box and presses Enter.
  void Search(const QString& text) {
    window->Text1->setFocus();
    window->Text1->clear();
    Type(window->Text1, text);
    QTest::keyClick(window->Text1, Qt::Key_Return);
  }
  void SetAreaMode(bool area) { QTest::mouseClick(window->Option1[area ? 1 : 0], Qt::LeftButton); }
  void SetExact(bool on) { if (window->Check1->Value() != on) QTest::mouseClick(window->Check1, Qt::LeftButton); }
  void ChoosePref(const QString& pref) { window->Combo1->setCurrentIndex(window->Combo1->findText(pref)); }
  // One click or a double-click as the window system delivers them, at a point of w (its centre by default).
  static void Click(QWidget* w, int clicks = 1, QPoint at = {}, Qt::MouseButton button = Qt::LeftButton,
                    Qt::KeyboardModifiers mods = {}) {
    const QPoint p = w->mapTo(w->window(), at.isNull() ? w->rect().center() : at);
    QWindow* to = w->window()->windowHandle();
    clicks == 2 ? QTest::mouseDClick(to, button, mods, p) : QTest::mouseClick(to, button, mods, p);
  }
  void ListPref(const QString& pref) { ChoosePref(pref); Click(window->Label1[0], 2); }
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
  QPoint RowCentre(int position) const {
    return window->ListView1->visualRect(window->ListView1->model()->index(position - 1, 1)).center();
  }
  int Count() const { return window->ListView1->Count(); }
  QString CountLine() const { return window->Label2->text(); }

  // Accepts the next modal message box; the texts it showed land in seen:
  // text, title, icon and button count.
  std::shared_ptr<QStringList> ExpectMessageBox() {
    auto seen = std::make_shared<QStringList>();
    QTimer::singleShot(0, [seen] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        *seen << box->text() << box->windowTitle() << QString::number(box->icon()) << QString::number(box->buttons().size());
        box->accept();
      }
    });
    return seen;
  }

  // Stands for a display without a window manager: no activation reaches the window.
  struct : QObject {
    bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::WindowActivate; }
  } noActivation;
  bool activate = true;
  FakeApp app;
  RecordingFactory browsers;
  std::unique_ptr<TelvaraMain> window;
};

}  // namespace telvara::testing
