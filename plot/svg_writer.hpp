#pragma once
// A small writer of SVG elements: escapes text and attribute values and keeps
// coordinates short.
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

namespace kesta::plot {

// Text made safe for element content and quoted attribute values.
std::string xml_escaped(std::string_view text);

// A pixel coordinate with one decimal, never "-0.0".
std::string px(double v);

using Attributes = std::initializer_list<std::pair<std::string_view, std::string>>;

class SvgWriter {
 public:
  explicit SvgWriter(std::ostream& out) : out_(out) {}

  void open(std::string_view tag, Attributes attributes);
  void close(std::string_view tag);
  void empty(std::string_view tag, Attributes attributes);
  void text(std::string_view content, Attributes attributes);

 private:
  void start_tag(std::string_view tag, Attributes attributes);
  std::ostream& out_;
};

}  // namespace kesta::plot
