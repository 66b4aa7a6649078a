#include "app/TelvaraMain.h"

#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>

#include "app/Accessibility.h"
#include "app/Caption.h"
#include "app/QueryRules.h"
#include "search/ResultRows.h"
#include "search/Search.h"

// The icon is compiled into the window's static library, where nothing else
// refers to it, so the linker would leave it out of the program. This
// reference keeps it in. Outside any namespace, where its initialiser lives.
static void KeepIconResource() { Q_INIT_RESOURCE(telvara); }

namespace telvara {

TelvaraMain::TelvaraMain(AppServices& app, BrowserFactory& browsers, QWidget* parent)
    : QWidget(parent), app_(app), browsers_(browsers) {
  buildLayout();
  Form_Load();
  // Typing reaches a window that was never activated, as on a display
  // without a window manager: the directory cannot wait for the first
  // activation. Each activation loads it again, which changes nothing.
  if (!ended_) Form_Activate();
}

void TelvaraMain::buildLayout() {
  setObjectName(QStringLiteral("Telvara_Main"));
  setWindowTitle(QStringLiteral("Form1"));
  KeepIconResource();
  QIcon icon;
  for (int size : {32, 48, 64, 128}) icon.addFile(QStringLiteral(":/telvara-%1.png").arg(size));
  setWindowIcon(icon);
  setFont(DefaultWindowFont());
  setFixedSize(TwipsToPx(9870), TwipsToPx(6795));

  // Created bottom to top: a later sibling is drawn over an earlier one.
  Command2 = new QPushButton(QStringLiteral("Command2"), this);
  Command2->setObjectName(QStringLiteral("Command2"));
  Command2->setGeometry(TwipsRect(9480, 600, 615, 495));
  // It does nothing and would only show as a sliver past the search button.
  Command2->hide();

  Frame1 = new QGroupBox(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setGeometry(TwipsRect(4680, 160, 3495, 615));

  Check1 = new CheckBox(QStringLiteral("完全"), Frame1);
  Check1->setObjectName(QStringLiteral("Check1"));
  Check1->setGeometry(TwipsRect(2640, 240, 735, 255));

  Option1[1] = new OptionButton(QStringLiteral("対象区域"), Frame1);
  Option1[1]->setObjectName(QStringLiteral("Option1_1"));
  Option1[1]->setGeometry(TwipsRect(1320, 240, 1095, 255));
  Option1[0] = new OptionButton(QStringLiteral("市外局番"), Frame1);
  Option1[0]->setObjectName(QStringLiteral("Option1_0"));
  Option1[0]->setGeometry(TwipsRect(120, 240, 1095, 255));

  Text1 = new QueryBox(this);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setGeometry(TwipsRect(1800, 360, 2655, 330));
  Text1->setFont(GothicFont(12));
  Text1->setText(QStringLiteral("Text1"));

  Combo1 = new QComboBox(this);
  Combo1->setObjectName(QStringLiteral("Combo1"));
  Combo1->setGeometry(TwipsRect(240, 360, 1335, 345));
  Combo1->setFont(GothicFont(11.25));
  Combo1->setMaxVisibleItems(20);

  ListView1 = new ReportList(this);
  ListView1->setObjectName(QStringLiteral("ListView1"));
  ListView1->setGeometry(TwipsRect(120, 960, 9615, 5655));
  ListView1->setFont(GothicFont(11.25));

  Command1 = new QPushButton(QStringLiteral("検索"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(TwipsRect(8280, 160, 1455, 615));
  Command1->setAutoDefault(false);

  Label2 = new AutoSizeLabel(QStringLiteral("Label2"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(TwipsRect(240, 760, 540, 180));
  Label2->setFont(GothicFont(9));

  Label1[1] = new AutoSizeLabel(QStringLiteral("検索 (市外局番、対象区域)"), this);
  Label1[1]->setObjectName(QStringLiteral("Label1_1"));
  Label1[1]->setGeometry(TwipsRect(1800, 120, 2100, 180));
  Label1[0] = new AutoSizeLabel(QStringLiteral("都道府県"), this);
  Label1[0]->setObjectName(QStringLiteral("Label1_0"));
  Label1[0]->setGeometry(TwipsRect(240, 120, 720, 180));
  Label1[0]->adjustSize();

  for (QWidget* w : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(Label1[0]),
                     static_cast<QWidget*>(Label1[1]), static_cast<QWidget*>(Label2)})
    w->setFocusPolicy(Qt::NoFocus);
  setTabOrder(Text1, Option1[0]);
  setTabOrder(Option1[0], Option1[1]);
  setTabOrder(Option1[1], Check1);
  setTabOrder(Check1, Command1);
  setTabOrder(Command1, ListView1);
  setTabOrder(ListView1, Combo1);
  setTabOrder(Combo1, Command2);

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  for (int i = 0; i < 2; ++i) {
    Option1[static_cast<size_t>(i)]->onClick = [this, i] { Option1_Click(i); };
    Option1[static_cast<size_t>(i)]->onMouseUp = [this, i](int b, int s, int x, int y) {
      Option1_MouseUp(i, b, s, x, y);
    };
    Label1[static_cast<size_t>(i)]->onDblClick = [this, i] { Label1_DblClick(i); };
  }
  Text1->onGotFocus = [this] { Text1_GotFocus(); };
  Text1->onKeyDown = [this](int keyCode, int shift) { Text1_KeyDown(keyCode, shift); };
  Text1->onKeyPress = [this](int& keyAscii) { Text1_KeyPress(keyAscii); };
  ListView1->onColumnClick = [this](const QString& header) { ListView1_ColumnClick(header); };
  ListView1->onDblClick = [this] { ListView1_DblClick(); };
  ListView1->onMouseDown = [this](int b, int s, int x, int y) { ListView1_MouseDown(b, s, x, y); };
  ListView1->onCopy = [this] { ListView1_Copy(); };
  ListView1->onMenuKey = [this] { ListView1_MenuKey(); };

  // Its item texts are what screen readers name the items by.
  RowMenu = new QMenu(ListView1);
  RowMenu->setObjectName(QStringLiteral("RowMenu"));
  RowMenuCopy = RowMenu->addAction(QStringLiteral("コピー"), this, [this] { ListView1_Copy(); });
  RowMenuCopy->setShortcut(QKeySequence::Copy);
  RowMenuCopy->setShortcutVisibleInContextMenu(true);
  RowMenuLookup = RowMenu->addAction(QStringLiteral("対象区域を Web で検索"), this,
                                     [this] { lookUpRow(ListView1->FirstSelected()); });
  ExposeToAssistiveTech(*this);
  Text1->setFocus();
}

void TelvaraMain::Form_Load() {
  Text1->setText(QString());
  Label2->SetCaption(QString());
  Label1[1]->SetCaption(ToQString(kHeadingCodeMode));
  if (app_.PrevInstance()) {
    ended_ = true;
    app_.End();
    return;
  }
  setWindowTitle(ToQString(ComposeCaption(app_.Major(), app_.Minor(), app_.Revision())));
  Mouse.MouseButton = 0;
  Mouse.MouseShift = 0;
  Store.LastIndex = 0;
  Option1[0]->SetValue(true);  // raises Option1_Click(0)
  Check1->SetValue(0);
  try {
    Prefs.Fill();
    setupListColumns();
    fillFilter();
  } catch (...) {
    // Whatever was set up stays; the window still opens.
  }
}

void TelvaraMain::setupListColumns() {
  ListView1->SetView(3);
  ListView1->Clear();
  for (const ColumnSpec& c : kColumns) ListView1->AddColumn(ToQString(c.header), c.widthTwips, c.alignment);
}

void TelvaraMain::fillFilter() {
  for (std::u16string_view item : FilterChoices(Prefs)) Combo1->addItem(ToQString(item));
  Combo1->setCurrentText(ToQString(kWholeCountry));
}

void TelvaraMain::Form_Activate() {
  Store.LoadAreaTable1();
  Store.LoadAreaTable2();
  Store.LoadAreaTable3();
  Store.LoadAreaTable4();
  Store.LoadServiceNumbers();
}

bool TelvaraMain::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate) Form_Activate();
  return QWidget::event(e);
}

QString TelvaraMain::prefChoice() const {
  return ToQString(TrimSpaces(View(Combo1->itemText(Combo1->currentIndex()))));
}

void TelvaraMain::setMousePointer(int code) {
  mousePointer_ = code == 11 ? 11 : 0;
  SetWidgetPointer(this, mousePointer_);
}

void TelvaraMain::addResultRow(int i, int counter, bool withCd) {
  const auto cells = ResultRowTexts(Store.Directory, Prefs, i, counter, withCd);
  const int position = ListView1->Add(ToQString(cells[0]));
  for (int n = 1; n <= 3; ++n) ListView1->SetSubItem(position, n, ToQString(cells[static_cast<size_t>(n)]));
  if (!cells[5].empty()) ListView1->SetSubItem(position, 5, ToQString(cells[5]));
}

template <class Walk>
void TelvaraMain::refillList(bool withCd, Walk&& walk) {
  ReportList::Update update(*ListView1);
  ListView1->Clear();
  int counter = 0;
  walk([&](int i) { addResultRow(i, counter++, withCd); });
}

void TelvaraMain::writeCountLine() { Label2->SetCaption(ToQString(CountLineText(ListView1->Count()))); }

void TelvaraMain::Command1_Click() {
  try {
    const QString query = ToQString(TrimSpaces(View(Text1->text())));
    Text1->setText(query);
    if (query.isEmpty()) {
      QMessageBox box(QMessageBox::Warning, ToQString(kMessageTitle), ToQString(kEmptyQueryMessage),
                      QMessageBox::Ok, this);
      box.exec();
      Text1->setFocus();
      return;
    }
    const QString choice = prefChoice();
    const SearchSettings settings = CaptureSettings(View(choice), Check1->Value(), Option1[1]->isChecked());
    setMousePointer(11);
    Label2->SetCaption(QString());
    refillList(true, [&](auto&& onMatch) { WalkSearch(Store, View(query), View(choice), settings, onMatch); });
    setMousePointer(0);
    writeCountLine();
    Text1->setFocus();
  } catch (...) {
    // Silent: the rows added so far stay, the count line stays empty.
    setMousePointer(0);
    Text1->setFocus();
  }
}

void TelvaraMain::Label1_DblClick(int /*index*/) {
  const QString choice = prefChoice();
  if (View(choice) == kWholeCountry) return;
  Label2->SetCaption(QString());
  setMousePointer(11);
  refillList(false, [&](auto&& onMatch) { WalkListing(Store, View(choice), onMatch); });
  setMousePointer(0);
  writeCountLine();
}

void TelvaraMain::ListView1_ColumnClick(const QString& header) {
  const auto choice = Sort.Click(View(header));
  if (!choice) return;
  ListView1->SetSortKey(choice->key);
  ListView1->SetSortOrder(choice->order);
  ListView1->SetSorted(true);
}

void TelvaraMain::ListView1_MouseDown(int button, int shift, int /*x*/, int /*y*/) {
  Mouse.MouseDown(static_cast<int16_t>(button), static_cast<int16_t>(shift));
}

void TelvaraMain::ListView1_DblClick() {
  lookUpRow(Mouse.OpensLookup(ListView1->Count()) ? ListView1->FirstSelected() : 0);
}

std::optional<std::u16string> TelvaraMain::lookupTextOf(int position) const {
  if (position == 0) return std::nullopt;
  return LookupText(View(ListView1->SubItem(position, 3)), View(ListView1->SubItem(position, 5)));
}

void TelvaraMain::lookUpRow(int position) {
  try {
    if (const auto text = lookupTextOf(position)) {
      const std::u16string address = SearchAddress(EncodeQuery(*text));
      SetScreenPointer(11);
      OpenInBrowser(browsers_, address);
    }
  } catch (...) {
    // No browser, or it would not start: nothing to tell the user.
  }
  SetScreenPointer(0);
}

void TelvaraMain::ListView1_Copy() {
  const int position = ListView1->FirstSelected();
  if (position == 0) return;
  std::array<std::u16string_view, kColumnCount> cells;
  for (size_t n = 0; n < cells.size(); ++n) cells[n] = View(ListView1->SubItem(position, static_cast<int>(n)));
  QGuiApplication::clipboard()->setText(ToQString(CopyLine(cells)));
}

// The web search of a row that is not looked up (a nationwide number of a
// search, a one-character area) stays in the menu, disabled: the menu keeps
// its shape and a screen reader says why nothing would happen.
void TelvaraMain::ListView1_MenuKey() {
  const int position = ListView1->FirstSelected();
  if (position == 0) return;
  RowMenuLookup->setEnabled(lookupTextOf(position).has_value());
  RowMenu->popup(ListView1->MenuPoint(position));
  RowMenu->setActiveAction(RowMenuCopy);
}

void TelvaraMain::Option1_Click(int index) {
  if (index == 0) {
    Text1->SetImeMode(kImeOffLocked);
    Label1[1]->SetCaption(ToQString(kHeadingCodeMode));
  } else {
    Label1[1]->SetCaption(ToQString(kHeadingAreaMode));
    Text1->SetImeMode(kImeHiragana);
  }
}

void TelvaraMain::Option1_MouseUp(int, int, int, int, int) { Text1->setFocus(Qt::MouseFocusReason); }

void TelvaraMain::Text1_GotFocus() { Text1->setSelection(0, static_cast<int>(Text1->text().size())); }

void TelvaraMain::Text1_KeyDown(int keyCode, int /*shift*/) {
  if (EnterStartsSearch(keyCode, static_cast<size_t>(Text1->text().size()))) Command1_Click();
}

void TelvaraMain::Text1_KeyPress(int& keyAscii) { keyAscii = FilterKeyPress(keyAscii, Option1[0]->isChecked()); }

}  // namespace telvara
