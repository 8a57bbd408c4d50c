#pragma once
// Line layouts: an output statement is a list of items (blank skips, literals,
// line ends and value fields) and the values for its fields, in order. Layouts in
// the code read like their item lists, e.g.
//   {X(2), Lit(" STRESS TYPE (ISTRESS): "), X(10), I(5)}
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kesta {

struct Item {
  enum class Kind { Skip, Literal, Slash, Text, Integer, RealD, RealE };
  Kind kind;
  int w = 0;  // columns skipped or field width
  int d = 0;  // digits of a real field
  std::string_view text{};
};

constexpr Item X(int n) { return {Item::Kind::Skip, n, 0, {}}; }
constexpr Item Lit(std::string_view text) { return {Item::Kind::Literal, 0, 0, text}; }
inline constexpr Item Slash{Item::Kind::Slash, 0, 0, {}};
constexpr Item A(int w) { return {Item::Kind::Text, w, 0, {}}; }
constexpr Item I(int w) { return {Item::Kind::Integer, w, 0, {}}; }
constexpr Item D(int w, int d) { return {Item::Kind::RealD, w, d, {}}; }
constexpr Item E(int w, int d) { return {Item::Kind::RealE, w, d, {}}; }

using Value = std::variant<std::string_view, int, double>;
using Layout = std::initializer_list<Item>;
using Values = std::initializer_list<Value>;

// The records of one output statement, without line ends. Values are taken by
// the value fields in order; a field whose value is missing or of another kind
// prints blank.
std::vector<std::string> format_layout(Layout items, Values values = {});

// The same records appended to `out`, each followed by `line_end`: the way an
// output file takes them, without a string for each record or field.
void append_records(std::string& out, Layout items, Values values, std::string_view line_end);

}  // namespace kesta
