#pragma once
#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "app/AppObject.h"
#include "app/Toolkit.h"
#include "directory/AreaDirectory.h"
#include "directory/PrefList.h"
#include "resultlist/MouseState.h"
#include "resultlist/ReportList.h"
#include "resultlist/Sorting.h"
#include "resultlist/WebLookup.h"

namespace telvara {

// The program's one window. It owns the controls, the directory, the
// prefecture list, the sort counters and the recorded mouse state.
class TelvaraMain : public QWidget {
 public:
  TelvaraMain(AppServices& app, BrowserFactory& browsers, QWidget* parent = nullptr);

  // Controls, by their layout names.
  CheckBox* Check1;
  QComboBox* Combo1;
  QPushButton* Command1;
  QPushButton* Command2;
  QGroupBox* Frame1;
  std::array<AutoSizeLabel*, 2> Label1;
  AutoSizeLabel* Label2;
  ReportList* ListView1;
  std::array<OptionButton*, 2> Option1;
  QueryBox* Text1;
  // The menu the keyboard opens on a row of the list.
  QMenu* RowMenu;
  QAction* RowMenuCopy;
  QAction* RowMenuLookup;

  // Window state.
  DirectoryStore Store;
  PrefList Prefs;
  HeaderSort Sort;
  MouseState Mouse;

  int MousePointer() const { return mousePointer_; }
  bool Ended() const { return ended_; }

  // Handlers.
  void Form_Load();
  void Form_Activate();
  void Command1_Click();
  void Command2_Click() {}
  void Label1_DblClick(int index);
  void ListView1_ColumnClick(const QString& header);
  void ListView1_DblClick();
  void ListView1_MouseDown(int button, int shift, int x, int y);
  void ListView1_Copy();
  void ListView1_MenuKey();
  void Option1_Click(int index);
  void Option1_MouseUp(int index, int button, int shift, int x, int y);
  void Text1_GotFocus();
  void Text1_KeyDown(int keyCode, int shift);
  void Text1_KeyPress(int& keyAscii);

 protected:
  bool event(QEvent* event) override;

 private:
  void buildLayout();
  void setupListColumns();
  void fillFilter();
  QString prefChoice() const;
  void addResultRow(int i, int counter, bool withCd);
  // Replaces the list's rows with those the walk reports, numbered from 1, in
  // one update of the list.
  template <class Walk>
  void refillList(bool withCd, Walk&& walk);
  void writeCountLine();
  void setMousePointer(int code);
  // What the web search of the row at this position (0: none) looks for, or
  // nothing when the row is not looked up.
  std::optional<std::u16string> lookupTextOf(int position) const;
  // Opens that search; the pointer is back to default on every path.
  void lookUpRow(int position);

  AppServices& app_;
  BrowserFactory& browsers_;
  int mousePointer_ = 0;
  bool ended_ = false;
};

}  // namespace telvara
