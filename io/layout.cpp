#include "io/layout.hpp"

#include "io/record_editing.hpp"

namespace kesta {
namespace {

// Places text at a 1-based column of a record, blank-filling any gap.
void place(std::string& record, int column, std::string_view text) {
  const auto start = static_cast<std::size_t>(column - 1);
  if (record.size() < start) record.resize(start, ' ');
  record.replace(start, std::min(text.size(), record.size() - start), text);
}

std::string edit_value(const Item& item, const Value* value) {
  switch (item.kind) {
    case Item::Kind::Text:
      if (value && std::holds_alternative<std::string_view>(*value))
        return edit_text(std::get<std::string_view>(*value), item.w);
      break;
    case Item::Kind::Integer:
      if (value && std::holds_alternative<int>(*value)) return edit_integer(std::get<int>(*value), item.w);
      break;
    case Item::Kind::RealD:
    case Item::Kind::RealE:
      if (value && std::holds_alternative<double>(*value))
        return edit_real(std::get<double>(*value), item.w, item.d, item.kind == Item::Kind::RealD ? 'D' : 'E');
      break;
    default:
      break;
  }
  return std::string(static_cast<std::size_t>(item.w), ' ');
}

}  // namespace

std::vector<std::string> format_layout(Layout items, Values values) {
  std::vector<std::string> records;
  std::string record;
  int column = 1;
  auto next_value = values.begin();
  for (const Item& item : items) {
    switch (item.kind) {
      case Item::Kind::Skip:
        column += item.w;
        break;
      case Item::Kind::Literal:
        place(record, column, item.text);
        column += static_cast<int>(item.text.size());
        break;
      case Item::Kind::Slash:
        records.push_back(std::move(record));
        record.clear();
        column = 1;
        break;
      default: {
        const Value* value = next_value != values.end() ? &*next_value++ : nullptr;
        place(record, column, edit_value(item, value));
        column += item.w;
        break;
      }
    }
  }
  records.push_back(std::move(record));
  return records;
}

}  // namespace kesta
