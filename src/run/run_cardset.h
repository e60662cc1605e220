#pragma once

#include "platform/platform.h"

namespace cardset {

// One whole run of the tool on the given platform; returns the exit status,
// 0 when the run reaches its end and 1 when it stops on a failure. It reads
// no argument and no environment variable, and prints nothing on failure.
// Tests call it with a fixed tick count; main calls it with the real platform.
int run_cardset(platform& system);

}  // namespace cardset
