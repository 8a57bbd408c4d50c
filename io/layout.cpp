#include "io/layout.hpp"

#include <cstring>

#include "io/record_editing.hpp"

namespace kesta {
namespace {

// Builds the records of a statement at the end of `out`. Columns only move to
// the right, so every field is placed after blank-filling up to its column.
class RecordBuilder {
 public:
  RecordBuilder(std::string& out, std::string_view line_end, std::vector<std::size_t>* ends)
      : out_(out), line_end_(line_end), ends_(ends), start_(out.size()) {}

  void skip(int n) { column_ += n; }
  void literal(std::string_view text) { std::memcpy(field(static_cast<int>(text.size())), text.data(), text.size()); }
  // Room for a field of w columns at the current column, to be written in place.
  char* field(int w) {
    const std::size_t at = start_ + static_cast<std::size_t>(column_ - 1);
    out_.resize(at, ' ');
    out_.resize(at + static_cast<std::size_t>(w), ' ');
    column_ += w;
    return out_.data() + at;
  }
  void end_record() {
    if (ends_ != nullptr) ends_->push_back(out_.size());
    out_ += line_end_;
    start_ = out_.size();
    column_ = 1;
  }

 private:
  std::string& out_;
  std::string_view line_end_;
  std::vector<std::size_t>* ends_;  // where each record ends, when asked
  std::size_t start_;
  int column_ = 1;
};

void put_value(char* field, const Item& item, const Value* value) {
  switch (item.kind) {
    case Item::Kind::Text:
      if (value && std::holds_alternative<std::string_view>(*value))
        return put_text(field, std::get<std::string_view>(*value), item.w);
      break;
    case Item::Kind::Integer:
      if (value && std::holds_alternative<int>(*value)) return put_integer(field, std::get<int>(*value), item.w);
      break;
    case Item::Kind::RealD:
    case Item::Kind::RealE:
      if (value && std::holds_alternative<double>(*value))
        return put_real(field, std::get<double>(*value), item.w, item.d, item.kind == Item::Kind::RealD ? 'D' : 'E');
      break;
    default: break;
  }
  // A field without a value of its kind stays blank.
}

void build(std::string& out, Layout items, Values values, std::string_view line_end, std::vector<std::size_t>* ends) {
  RecordBuilder record(out, line_end, ends);
  auto next_value = values.begin();
  for (const Item& item : items) {
    switch (item.kind) {
      case Item::Kind::Skip: record.skip(item.w); break;
      case Item::Kind::Literal: record.literal(item.text); break;
      case Item::Kind::Slash: record.end_record(); break;
      default: {
        const Value* value = next_value != values.end() ? &*next_value++ : nullptr;
        put_value(record.field(item.w), item, value);
        break;
      }
    }
  }
  record.end_record();
}

}  // namespace

void append_records(std::string& out, Layout items, Values values, std::string_view line_end) {
  build(out, items, values, line_end, nullptr);
}

std::vector<std::string> format_layout(Layout items, Values values) {
  std::string text;
  std::vector<std::size_t> ends;
  build(text, items, values, {}, &ends);
  std::vector<std::string> records;
  std::size_t start = 0;
  for (std::size_t end : ends) {
    records.emplace_back(text, start, end - start);
    start = end;
  }
  return records;
}

}  // namespace kesta
