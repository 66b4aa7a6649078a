#include "directory/AreaDirectory.h"

#include <algorithm>
#include <stdexcept>

#include "directory/Numbers.h"

namespace telvara {

std::u16string_view AreaDirectory::at(const Column& c, int i) {
  if (i < 0 || i >= kSlotCount) throw std::out_of_range("directory index out of range");
  return c[static_cast<size_t>(i)];
}

int AreaDirectory::CdValue(int i) const { return LeadingNumber(Cd(i)); }

void AreaDirectory::Write(const TableRow& row) {
  const auto i = static_cast<size_t>(row.index);
  code_.at(i) = row.code;
  pref_.at(i) = row.pref;
  area_.at(i) = row.area;
  cd_.at(i) = row.cd;
}

void DirectoryStore::loadRegional(int first, int last) {
  const auto rows = RegionalRows();
  auto it = std::lower_bound(rows.begin(), rows.end(), first,
                             [](const TableRow& r, int i) { return r.index < i; });
  for (; it != rows.end() && it->index <= last; ++it) Directory.Write(*it);
}

void DirectoryStore::LoadAreaTable1() { loadRegional(0, 500); }
void DirectoryStore::LoadAreaTable2() { loadRegional(501, 1000); }
void DirectoryStore::LoadAreaTable3() { loadRegional(1001, 1500); }
void DirectoryStore::LoadAreaTable4() { loadRegional(1501, 1771); }

void DirectoryStore::LoadServiceNumbers() {
  for (const TableRow& row : ServiceRows()) Directory.Write(row);
  LastIndex = kLastUsedIndex;
}

void DirectoryStore::LoadAll() {
  LoadAreaTable1();
  LoadAreaTable2();
  LoadAreaTable3();
  LoadAreaTable4();
  LoadServiceNumbers();
}

const DirectoryStore& LoadedStore() {
  static const DirectoryStore store = [] {
    DirectoryStore s;
    s.LoadAll();
    return s;
  }();
  return store;
}

}  // namespace telvara
