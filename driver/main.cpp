// kesta: hydraulic interaction between a stream and a confined or leaky aquifer.
// Takes no arguments; the three file names are asked for on the console.
#include <unistd.h>

#include "driver/driver.hpp"
#include "driver/interrupts.hpp"

int main() {
  kesta::PendingFiles pending;
  const kesta::InterruptGuard guard(pending);
  kesta::Console console;
  console.out.attach(6, STDOUT_FILENO, "stdout");
  return kesta::run_kesta(console, &pending);
}
