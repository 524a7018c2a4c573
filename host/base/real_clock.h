// The system's clock as both programs read it: seconds on the high-resolution counter. A program
// with a clock of its own (the bench's stepped one) hands that to the parts that take a clock.
#pragma once

// Seconds since some fixed moment; only differences mean anything.
double RealClockSeconds();
// A clock the parts below take in their requests: a function returning seconds.
using ClockSeconds = double (*)();
