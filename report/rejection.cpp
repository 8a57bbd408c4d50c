#include "report/rejection.hpp"

namespace kesta {

Stop reject(OutputUnit& report, const CheckMessage& message) {
  for (const std::string& record : message) report.write_record(record);
  return rejected_stop(message_text(message));
}

}  // namespace kesta
