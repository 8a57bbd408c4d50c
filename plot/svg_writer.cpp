#include "plot/svg_writer.hpp"

#include <cstdio>

namespace kesta::plot {

std::string xml_escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        // Control characters are not allowed in XML 1.0 at all.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') out += '?';
        else out += c;
    }
  }
  return out;
}

std::string px(double v) {
  char text[32];
  (void)std::snprintf(text, sizeof text, "%.1f", v);
  std::string s = text;
  if (s == "-0.0") s = "0.0";
  return s;
}

void SvgWriter::start_tag(std::string_view tag, Attributes attributes) {
  out_ << '<' << tag;
  for (const auto& [name, value] : attributes) out_ << ' ' << name << "=\"" << xml_escaped(value) << '"';
}

void SvgWriter::open(std::string_view tag, Attributes attributes) {
  start_tag(tag, attributes);
  out_ << ">\n";
}

void SvgWriter::close(std::string_view tag) { out_ << "</" << tag << ">\n"; }

void SvgWriter::empty(std::string_view tag, Attributes attributes) {
  start_tag(tag, attributes);
  out_ << "/>\n";
}

void SvgWriter::text(std::string_view content, Attributes attributes) {
  start_tag("text", attributes);
  out_ << '>' << xml_escaped(content) << "</text>\n";
}

}  // namespace kesta::plot
