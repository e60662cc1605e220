// The entry: wires the real platform to the run. Arguments and environment
// are deliberately not read.

#include "run/run_cardset.h"

#ifdef _WIN32
#include "platform/win32_platform.h"
using native_platform = cardset::win32_platform;
#else
#include "platform/posix_platform.h"
using native_platform = cardset::posix_platform;
#endif

int main() {
  native_platform system;
  return cardset::run_cardset(system);
}
