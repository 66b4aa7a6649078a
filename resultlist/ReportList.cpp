#include "resultlist/ReportList.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <numeric>

#include "resultlist/QtText.h"

namespace telvara {

int ReportModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ReportModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headers_.size());
}

QVariant ReportModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= 6) return {};
  if (role == Qt::DisplayRole) return rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole && index.column() < columnCount())
    return alignments_[static_cast<size_t>(index.column())] == 2 ? int(Qt::AlignCenter)
                                                                  : int(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return headers_[static_cast<size_t>(section)];
  if (role == Qt::TextAlignmentRole)
    return alignments_[static_cast<size_t>(section)] == 2 ? int(Qt::AlignCenter)
                                                          : int(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

void ReportModel::AddColumn(const QString& header, int alignment) {
  const int column = columnCount();
  beginInsertColumns({}, column, column);
  headers_.push_back(header);
  alignments_.push_back(alignment);
  endInsertColumns();
}

QString ReportModel::Header(int column) const { return headers_.at(static_cast<size_t>(column)); }

void ReportModel::Clear() {
  if (updating_) {
    rows_.clear();
    return;
  }
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int ReportModel::Append(const QString& text) {
  const int row = rowCount();
  if (!updating_) beginInsertRows({}, row, row);
  rows_.emplace_back();
  rows_.back()[0] = text;
  if (!updating_) {
    endInsertRows();
    if (sorted_) resortAnnounced();
  }
  return row;
}

void ReportModel::SetCell(int row, int column, const QString& text) {
  rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column)) = text;
  if (!updating_) {
    emit dataChanged(index(row, column), index(row, column));
    if (sorted_ && column == sortKey_) resortAnnounced();
  }
}

const QString& ReportModel::Cell(int row, int column) const {
  return rows_.at(static_cast<size_t>(row)).at(static_cast<size_t>(column));
}

void ReportModel::BeginUpdate() {
  if (updating_++ == 0) beginResetModel();
}

void ReportModel::EndUpdate() {
  if (--updating_ == 0) {
    if (sorted_) sortRows();
    endResetModel();
  }
}

void ReportModel::SetSorted(bool sorted) {
  sorted_ = sorted;
  if (sorted_ && !updating_) resortAnnounced();
}

// Stable: rows with equal key text keep the order they stand in. Texts compare
// by UTF-16 code units.
void ReportModel::sortRows() {
  const auto key = static_cast<size_t>(sortKey_);
  if (sortOrder_ == 0)
    std::stable_sort(rows_.begin(), rows_.end(), [key](const Row& a, const Row& b) { return a[key] < b[key]; });
  else
    std::stable_sort(rows_.begin(), rows_.end(), [key](const Row& a, const Row& b) { return b[key] < a[key]; });
}

// Re-sorts rows the view already shows, carrying selection and current row along.
void ReportModel::resortAnnounced() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const auto key = static_cast<size_t>(sortKey_);
  std::vector<int> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  const bool descending = sortOrder_ == 1;
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const QString& x = rows_[static_cast<size_t>(a)][key];
    const QString& y = rows_[static_cast<size_t>(b)][key];
    return descending ? y < x : x < y;
  });
  std::vector<int> newPosition(rows_.size());
  std::vector<Row> sorted;
  sorted.reserve(rows_.size());
  for (size_t i = 0; i < order.size(); ++i) {
    newPosition[static_cast<size_t>(order[i])] = static_cast<int>(i);
    sorted.push_back(std::move(rows_[static_cast<size_t>(order[i])]));
  }
  rows_ = std::move(sorted);
  const QModelIndexList from = persistentIndexList();
  QModelIndexList to;
  to.reserve(from.size());
  for (const QModelIndex& idx : from)
    to.append(index(newPosition[static_cast<size_t>(idx.row())], idx.column()));
  changePersistentIndexList(from, to);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

ReportList::ReportList(QWidget* parent) : QTreeView(parent) {
  setModel(&model_);
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  header()->setSortIndicatorShown(false);
  header()->setSectionsClickable(true);
  header()->setSectionsMovable(false);
  header()->setStretchLastSection(false);
  header()->setMinimumSectionSize(1);
  // The right button belongs to the Ctrl+right double-click: a right press
  // opens no menu. The menu comes from the keyboard, and the platform's own
  // context-menu event for the Menu key is dropped here, as the key press
  // already opened it.
  setContextMenuPolicy(Qt::PreventContextMenu);
  connect(header(), &QHeaderView::sectionClicked, this, [this](int section) {
    if (onColumnClick) onColumnClick(model_.Header(section));
  });
}

void ReportList::AddColumn(const QString& header, int widthTwips, int alignment) {
  model_.AddColumn(header, alignment);
  // The two narrow columns are 5 twips: a pixel, not hidden.
  this->header()->resizeSection(model_.columnCount() - 1, std::max(1, TwipsToPx(widthTwips)));
}

bool ReportList::Selected(int position) const {
  return selectionModel()->isRowSelected(position - 1, {});
}

void ReportList::SetSelected(int position, bool selected) {
  selectionModel()->select(model_.index(position - 1, 0),
                           (selected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                               QItemSelectionModel::Rows);
}

int ReportList::FirstSelected() const {
  int first = 0;
  for (const QModelIndex& index : selectionModel()->selectedRows())
    if (first == 0 || index.row() + 1 < first) first = index.row() + 1;
  return first;
}

QPoint ReportList::MenuPoint(int position) {
  const QModelIndex index = model_.index(position - 1, 0);
  scrollTo(index);
  return viewport()->mapToGlobal(visualRect(index).bottomLeft());
}

void ReportList::reportPress(QMouseEvent* event) {
  if (onMouseDown)
    onMouseDown(ButtonCode(event->button()), ShiftCode(event->modifiers()),
                static_cast<int>(event->position().x()), static_cast<int>(event->position().y()));
}

void ReportList::mousePressEvent(QMouseEvent* event) {
  reportPress(event);
  QTreeView::mousePressEvent(event);
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double-click arrives as this event: record it too,
  // so the handler sees the double-click's own button and modifiers.
  reportPress(event);
  QTreeView::mouseDoubleClickEvent(event);
  if (onDblClick) onDblClick();
}

void ReportList::keyPressEvent(QKeyEvent* event) {
  if (onKeyDown) onKeyDown(event->key(), ShiftCode(event->modifiers()));
  const bool menuKey = event->key() == Qt::Key_Menu || (event->key() == Qt::Key_F10 && ShiftCode(event->modifiers()) == 1);
  if (event->matches(QKeySequence::Copy) || menuKey) {
    // The view would copy only the current cell.
    const auto& handler = menuKey ? onMenuKey : onCopy;
    if (handler) handler();
    event->accept();
    return;
  }
  QTreeView::keyPressEvent(event);
}

QItemSelectionModel::SelectionFlags ReportList::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
  // A press with any button selects the row under the pointer; Ctrl must not
  // toggle it off again, or a Ctrl+right double-click would lose its row.
  if (event && index.isValid() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick))
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
  return QTreeView::selectionCommand(index, event);
}

}  // namespace telvara
