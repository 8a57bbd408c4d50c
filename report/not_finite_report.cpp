#include "report/not_finite_report.hpp"

namespace kesta {

Stop stop_not_finite(OutputUnit& report, const NotFinite& found) {
  const std::string text = found.message();
  const Layout message = {X(3), Lit(text)};
  report.write(message);
  return rejected_stop(message_words(format_layout(message)));
}

}  // namespace kesta
