#pragma once
// The result list: a report view over a plain vector of rows. Rows carry no
// per-row objects, so filling the list is a vector append and one reset.
#include <QAbstractTableModel>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace telvara {

class ReportModel : public QAbstractTableModel {
 public:
  using Row = std::array<QString, 6>;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void AddColumn(const QString& header, int alignment);
  QString Header(int column) const;

  void Clear();
  int Append(const QString& text);  // returns the new row's position
  void SetCell(int row, int column, const QString& text);
  const QString& Cell(int row, int column) const;

  // Between BeginUpdate and EndUpdate nothing is announced; EndUpdate puts the
  // rows in the sort order in force and announces the result once.
  void BeginUpdate();
  void EndUpdate();

  // The list's one record of its sort: key and order are kept as set and
  // take effect when sorting is switched on, and on every later fill.
  void SetSortKey(int key) { sortKey_ = std::clamp(key, 0, 5); }
  void SetSortOrder(int order) { sortOrder_ = order == 1 ? 1 : 0; }
  void SetSorted(bool sorted);
  bool Sorted() const { return sorted_; }
  int SortKey() const { return sortKey_; }
  int SortOrder() const { return sortOrder_; }

 private:
  void sortRows();
  void resortAnnounced();
  std::vector<Row> rows_;
  std::vector<QString> headers_;
  std::vector<int> alignments_;
  int updating_ = 0;
  bool sorted_ = false;
  int sortKey_ = 0;
  int sortOrder_ = 0;
};

// What the handlers need of the list control: columns, rows with sub-items,
// selection, sort key and order, and the events, with mouse presses reported
// before the double-click they belong to.
class ReportList : public QTreeView {
 public:
  explicit ReportList(QWidget* parent);

  // View 3 is the report view, the only one this list has.
  void SetView(int view) { view_ = view; }
  int View() const { return view_; }
  void AddColumn(const QString& header, int widthTwips, int alignment);

  // ListItems: positions are 1-based, in the list's own (displayed) order.
  void Clear() { model_.Clear(); }
  int Add(const QString& text) { return model_.Append(text) + 1; }
  void SetSubItem(int position, int n, const QString& text) { model_.SetCell(position - 1, n, text); }
  const QString& SubItem(int position, int n) const { return model_.Cell(position - 1, n); }
  QString Text(int position) const { return model_.Cell(position - 1, 0); }
  int Count() const { return model_.rowCount(); }
  bool Selected(int position) const;
  void SetSelected(int position, bool selected);
  int FirstSelected() const;  // its position, 0 when no row is selected
  // Where a menu for the row opens, in screen coordinates: below its left end,
  // scrolled into view first.
  QPoint MenuPoint(int position);

  void SetSortKey(int key) { model_.SetSortKey(key); }
  void SetSortOrder(int order) { model_.SetSortOrder(order); }
  void SetSorted(bool sorted) { model_.SetSorted(sorted); }
  int SortKey() const { return model_.SortKey(); }
  int SortOrder() const { return model_.SortOrder(); }
  bool Sorted() const { return model_.Sorted(); }

  // Groups a fill: one announcement to the view for the whole walk, also
  // when the walk ends early.
  class Update {
   public:
    explicit Update(ReportList& list) : model_(list.model_) { model_.BeginUpdate(); }
    ~Update() { model_.EndUpdate(); }
    Update(const Update&) = delete;
    Update& operator=(const Update&) = delete;

   private:
    ReportModel& model_;
  };

  std::function<void(const QString& header)> onColumnClick;
  std::function<void()> onDblClick;
  std::function<void(int button, int shift, int x, int y)> onMouseDown;
  std::function<void(int keyCode, int shift)> onKeyDown;
  // The desktop's copy keys (Ctrl+C, Ctrl+Insert) and its context-menu keys
  // (Menu, Shift+F10). They take the place of the view's own handling.
  std::function<void()> onCopy;
  std::function<void()> onMenuKey;

  ReportModel& Model() { return model_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;

 private:
  void reportPress(QMouseEvent* event);
  ReportModel model_;
  int view_ = 0;
};

}  // namespace telvara
