#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace telvara {

// One row of a compiled-in table: the slot it goes to and its four texts.
struct TableRow {
  int16_t index;
  const char16_t* code;
  const char16_t* pref;
  const char16_t* area;
  const char16_t* cd;
};

inline constexpr int kSlotCount = 1851;        // slots 0..1850
inline constexpr int16_t kLastUsedIndex = 1816;

// The directory: four parallel text columns of 1851 slots. Slots point at the
// constant texts compiled into the program, so a write copies no characters and
// reloading is free of allocation. An unwritten slot reads as empty text.
class AreaDirectory {
 public:
  std::u16string_view Code(int i) const { return at(code_, i); }
  std::u16string_view Pref(int i) const { return at(pref_, i); }
  std::u16string_view Area(int i) const { return at(area_, i); }
  std::u16string_view Cd(int i) const { return at(cd_, i); }
  // The number the change code begins with; an empty slot gives 0.
  int CdValue(int i) const;

  void Write(const TableRow& row);

 private:
  using Column = std::array<std::u16string_view, kSlotCount>;
  static std::u16string_view at(const Column& c, int i);
  Column code_{}, pref_{}, area_{}, cd_{};
};

// The directory with its highest used index, and the five loaders that fill it.
// Every loader writes its own slots in ascending order, once each, and leaves
// the holes alone; running them again changes nothing.
class DirectoryStore {
 public:
  AreaDirectory Directory;
  int16_t LastIndex = 0;

  void LoadAreaTable1();  // regional slots 0..500
  void LoadAreaTable2();  // 501..1000
  void LoadAreaTable3();  // 1001..1500
  void LoadAreaTable4();  // 1501..1771
  void LoadServiceNumbers();  // 1772..1816, then LastIndex = 1816
  void LoadAll();

 private:
  void loadRegional(int first, int last);
};

// One store, loaded on first use and never written again, for readers that
// only look rows up (checks and measurements) and need not pay for a load each.
const DirectoryStore& LoadedStore();

// The compiled-in tables, each in ascending slot order.
std::span<const TableRow> RegionalRows();
std::span<const TableRow> ServiceRows();

}  // namespace telvara
