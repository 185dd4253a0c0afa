// The program's one random-number generator: Knuth's subtractive lagged-Fibonacci method
// (55 integers modulo 1e9) for uniform numbers and the polar method for normal numbers.
// The state is process-wide and unlocked; the unit's start-up leaves the seed 3141 pending.
//
// Usage:
//   randunit::randsetseed(7);
//   double u = randunit::randuniform();      // in [0, 1), a multiple of 1e-9
//   double n = randunit::randnormal();
//   double state[randunit::savesize];
//   randunit::randsave(state);  ...  randunit::randrestore(state);
//
// The unit is `rand`; its namespace is `randunit` because `rand` names the C library's
// function.
#pragma once

#include <cstdint>

namespace randunit {

inline constexpr int tablesize = 55;
inline constexpr int savesize = 57;  // [0] cached normal, [1..55] table or seed, [56] position

// Process-wide state. randarray[1..55] is the table (element 0 is unused).
inline double randarray[tablesize + 1] = {};
inline std::int32_t newseed = 0;      // pending seed; 0: none, the table is running
inline std::int32_t uniformnext = 0;  // values still to hand out from the table, plus 1
inline double normalsave = 0;         // second number of the last polar pair; 0: none

// s in 0..1e9 becomes the pending seed (0 means 3141); any other s keeps it. Both cases
// clear the cached normal number and the position.
void randsetseed(std::int32_t s);

// The pending seed; otherwise the value handed out last, which becomes the pending seed
// (so reading the seed restarts the generator from it).
[[nodiscard]] std::int32_t randgetseed();

[[nodiscard]] double randuniform();
[[nodiscard]] double randnormal();

// Copy the state out and in (savesize doubles; layout above).
void randsave(double* state);
void randrestore(const double* state);

void startup();

}  // namespace randunit
