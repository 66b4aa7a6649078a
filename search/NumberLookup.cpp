#include "search/NumberLookup.h"

namespace telvara {
namespace {

int DigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'\uFF10' && c <= u'\uFF19') return c - u'\uFF10';
  return -1;
}

bool IsSeparator(char16_t c) {
  switch (c) {
    // spaces
    case u' ': case u'\t': case u'\u00A0': case u'\u3000':
    // hyphens, dashes and minus signs of every width, and the long-vowel
    // marks that Japanese input methods put in their place
    case u'-': case u'\u2010': case u'\u2011': case u'\u2012': case u'\u2013': case u'\u2014':
    case u'\u2015': case u'\u2212': case u'\uFE58': case u'\uFE63': case u'\uFF0D':
    case u'\u30FC': case u'\uFF70':
    // dots
    case u'.': case u'\uFF0E':
    // parentheses
    case u'(': case u')': case u'\uFF08': case u'\uFF09':
      return true;
    default:
      return false;
  }
}

// Whether digits hold prefix at position at; compared in place, since this
// runs for every number of a batch.
bool HasAt(std::string_view digits, size_t at, std::string_view prefix) {
  if (digits.size() < at + prefix.size()) return false;
  for (size_t k = 0; k < prefix.size(); ++k)
    if (digits[at + k] != prefix[k]) return false;
  return true;
}

bool IsPlus(char16_t c) { return c == u'+' || c == u'\uFF0B'; }

char32_t CharAt(std::u16string_view text, size_t i) {
  const char16_t c = text[i];
  if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF)
    return 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
  return c;
}

char32_t CharAt(std::string_view ascii, size_t i) { return static_cast<unsigned char>(ascii[i]); }

template <class Char>
NumberAnswer Normalize(std::basic_string_view<Char> text) {
  NumberAnswer a;
  if (text.empty()) {
    a.problem = NumberProblem::Empty;
    return a;
  }
  bool plus = false;
  // Digits written before the first and the second separator that follow a
  // digit: where the first two groups of the number end.
  size_t groupEnd[2] = {};
  size_t groups = 0;
  // Kept digits: enough for an international prefix, the country code and
  // the longest valid number, so a long line costs no memory.
  constexpr size_t kKeep = kMaxNumberDigits + 5;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (const int d = DigitValue(c); d >= 0) {
      if (a.digits.size() < kKeep) a.digits += static_cast<char>('0' + d);
      ++a.digitCount;
    } else if (IsSeparator(c)) {
      if (a.digitCount > 0 && groups < 2 && (groups == 0 || groupEnd[0] != a.digitCount))
        groupEnd[groups++] = a.digitCount;
    } else if (IsPlus(c) && a.digitCount == 0 && !plus) {
      plus = true;
    } else {
      a.problem = NumberProblem::Junk;
      a.junk = CharAt(text, i);
      a.digits.clear();
      a.digitCount = 0;
      return a;
    }
  }
  // The country code 81 after '+', or written as a group of its own, or
  // after an international prefix (00, 010 from Japan, 011 from North
  // America) written as a group of its own: "00 81 3", "010-81-3", "0081 3".
  // Written as one run of digits, 01181... is a Sapporo number.
  size_t country = 0;  // digits that stand before the national number
  if ((plus || groupEnd[0] == 2) && HasAt(a.digits, 0, "81")) country = 2;
  static constexpr std::string_view kPrefixes[] = {"00", "010", "011"};
  const bool abroad = !plus && country == 0 && groupEnd[0] >= 2 && groupEnd[0] <= 5 && a.digits[1] <= '1';
  for (std::string_view idd : kPrefixes) {
    if (!abroad || country > 0 || !HasAt(a.digits, 0, idd)) continue;
    const size_t n = idd.size();
    if (HasAt(a.digits, n, "81") && ((groupEnd[0] == n && groupEnd[1] == n + 2) || groupEnd[0] == n + 2))
      country = n + 2;
    else if (groupEnd[0] == n && idd == "00")  // dialled abroad, to another country
      a.problem = NumberProblem::NotJapan;
    // 010 before another country code is the directory's own 010, 国際通話;
    // 011 is Sapporo's code.
  }
  if ((plus && country == 0) || a.problem == NumberProblem::NotJapan) {
    a.problem = NumberProblem::NotJapan;
    return a;
  }
  if (country > 0) {
    a.digits.erase(0, country);
    a.digitCount -= country;
    if (!a.digits.starts_with('0')) {
      a.digits.insert(a.digits.begin(), '0');
      ++a.digitCount;
    }
  }
  if (a.digitCount < kMinNumberDigits) a.problem = NumberProblem::TooShort;
  if (a.digitCount > kMaxNumberDigits) a.problem = NumberProblem::TooLong;
  return a;
}

}  // namespace

NumberAnswer NormalizeNumber(std::u16string_view text) { return Normalize(text); }
NumberAnswer NormalizeNumber(std::string_view ascii) { return Normalize(ascii); }

CodeIndex::CodeIndex(const DirectoryStore& store) {
  Node root;
  root.child.fill(-1);
  nodes_.push_back(root);
  const AreaDirectory& dir = store.Directory;
  for (int i = 0; i <= store.LastIndex; ++i) {
    const std::u16string_view code = dir.Code(i);
    if (code.empty()) continue;
    size_t node = 0;
    bool digitsOnly = true;
    for (char16_t c : code) {
      if (c < u'0' || c > u'9') {
        digitsOnly = false;
        break;
      }
      auto& next = nodes_[node].child[static_cast<size_t>(c - u'0')];
      if (next < 0) {
        next = static_cast<int32_t>(nodes_.size());
        Node fresh;
        fresh.child.fill(-1);
        nodes_.push_back(fresh);
      }
      node = static_cast<size_t>(nodes_[node].child[static_cast<size_t>(c - u'0')]);
    }
    if (!digitsOnly) continue;  // no number could ever begin with it
    if (nodes_[node].code < 0) {
      nodes_[node].code = static_cast<int32_t>(codes_.size());
      codes_.push_back(code);
      rows_.emplace_back();
    }
    rows_[static_cast<size_t>(nodes_[node].code)].push_back(static_cast<int16_t>(i));
  }
}

CodeIndex::Match CodeIndex::Longest(std::string_view digits) const {
  int32_t best = -1;
  size_t node = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    const int32_t next = nodes_[node].child[static_cast<size_t>(c - '0')];
    if (next < 0) break;
    node = static_cast<size_t>(next);
    if (nodes_[node].code >= 0) best = nodes_[node].code;
  }
  if (best < 0) return {};
  return {codes_[static_cast<size_t>(best)], rows_[static_cast<size_t>(best)]};
}

NumberAnswer CodeIndex::Resolve(std::u16string_view text) const {
  NumberAnswer a = NormalizeNumber(text);
  Find(a);
  return a;
}

NumberAnswer CodeIndex::Resolve(std::string_view ascii) const {
  NumberAnswer a = NormalizeNumber(ascii);
  Find(a);
  return a;
}

void CodeIndex::Find(NumberAnswer& a) const {
  if (a.problem != NumberProblem::None) return;
  const Match m = Longest(a.digits);
  a.code = m.code;
  a.rows = m.rows;
  if (m.rows.empty()) a.problem = NumberProblem::NoCode;
}

bool IsDigitQuery(std::u16string_view query) {
  if (query.empty()) return false;
  for (char16_t c : query)
    if (DigitValue(c) < 0) return false;
  return true;
}

std::u16string AsciiDigits(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out)
    if (c >= u'\uFF10' && c <= u'\uFF19') c = static_cast<char16_t>(u'0' + (c - u'\uFF10'));
  return out;
}

}  // namespace telvara
