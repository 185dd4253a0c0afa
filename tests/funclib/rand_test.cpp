// The subtractive generator: exact sequences from seed 3141, seeding rules, the polar
// method and the save/restore protocol.
#include "funclib/rand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

// Table values of seed 3141, worked out independently: the first six numbers, the 55th (the
// last of the first table) and the first five of the second table.
constexpr double first6[] = {171747132, 843266708, 550375356, 301137904, 292212117, 224052867};
constexpr double value55 = 86424624;
constexpr double second5[] = {102514669, 641251151, 545309498, 31524852, 792360642};

class RandTest : public ::testing::Test {
 protected:
  void SetUp() override { randunit::startup(); }
};

std::vector<double> draw(int n) {
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(randunit::randuniform());
  return v;
}

TEST_F(RandTest, StartupSequenceIsExact) {
  const std::vector<double> v = draw(60);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(v[i], 1e-9 * first6[i]) << i;
  EXPECT_EQ(v[54], 1e-9 * value55);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(v[55 + i], 1e-9 * second5[i]) << i;
  for (double u : v) {
    EXPECT_GE(u, 0.0);
    EXPECT_LT(u, 1.0);
  }
}

TEST_F(RandTest, SeedingRules) {
  const std::vector<double> ref = draw(3);
  struct row {
    std::int32_t seed;
    double expectfirst;  // the next number after seeding, from a fresh start
    const char* why;
  };
  constexpr row rows[] = {
      {0, first6[0], "seed 0 stands for 3141"},
      {3141, first6[0], "the start-up seed"},
      {-5, first6[0], "a negative seed keeps the pending 3141"},
      {1000000001, first6[0], "a seed above 1e9 keeps the pending 3141"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    randunit::startup();
    randunit::randsetseed(r.seed);
    EXPECT_EQ(randunit::randuniform(), 1e-9 * r.expectfirst);
  }
  EXPECT_EQ(ref[0], 1e-9 * first6[0]);

  // On a running table an out-of-range seed clears the position: the next number comes
  // from a fresh pass over the same table.
  randunit::startup();
  (void)draw(3);
  randunit::randsetseed(-5);
  EXPECT_EQ(randunit::randuniform(), 1e-9 * second5[0]);

  // A different seed gives a different sequence, and seeding again repeats it.
  randunit::randsetseed(7);
  const std::vector<double> seven = draw(5);
  EXPECT_NE(seven[0], 1e-9 * first6[0]);
  randunit::randsetseed(7);
  EXPECT_EQ(draw(5), seven);
}

TEST_F(RandTest, GetSeed) {
  randunit::randsetseed(7);
  EXPECT_EQ(randunit::randgetseed(), 7);  // pending: no number drawn
  EXPECT_EQ(randunit::randgetseed(), 7);

  // Running: the value handed out last becomes the pending seed.
  randunit::startup();
  (void)draw(2);
  EXPECT_EQ(randunit::randgetseed(), static_cast<std::int32_t>(first6[1]));
  const std::vector<double> after = draw(4);
  randunit::randsetseed(static_cast<std::int32_t>(first6[1]));
  EXPECT_EQ(draw(4), after);
}

TEST_F(RandTest, PolarMethodUsesPairsInOrder) {
  const double u = 2 * (1e-9 * first6[0]) - 1;
  const double v = 2 * (1e-9 * first6[1]) - 1;
  const double s = u * u + v * v;
  ASSERT_LT(s, 1.0);
  const double c = std::sqrt(-2 * std::log(s) / s);
  EXPECT_EQ(randunit::randnormal(), c * u);
  EXPECT_EQ(randunit::randnormal(), c * v);  // the cached second number, no draw
  EXPECT_EQ(randunit::randuniform(), 1e-9 * first6[2]);
}

TEST_F(RandTest, SaveRestoreRepeatsTheSequence) {
  struct row {
    int before;        // uniforms drawn before the save
    bool normalfirst;  // draw one normal before the save (leaves one cached)
    bool clearpos;     // an out-of-range seed clears the position before the save
    const char* why;
  };
  constexpr row rows[] = {
      {0, false, false, "seed pending at the save"},
      {10, false, false, "in the middle of a table"},
      {55, false, false, "table exhausted"},
      {3, true, false, "a cached normal number"},
      {20, false, true, "running table with the position cleared"},
  };
  for (const row& r : rows) {
    SCOPED_TRACE(r.why);
    randunit::startup();
    (void)draw(r.before);
    if (r.normalfirst) (void)randunit::randnormal();
    if (r.clearpos) randunit::randsetseed(-1);
    double state[randunit::savesize];
    randunit::randsave(state);
    auto run = [] {
      std::vector<double> v = draw(70);
      for (int i = 0; i < 5; ++i) v.push_back(randunit::randnormal());
      return v;
    };
    const std::vector<double> first = run();
    randunit::randrestore(state);
    EXPECT_EQ(run(), first);
  }
}

TEST_F(RandTest, SaveLayout) {
  double state[randunit::savesize];
  randunit::randsave(state);  // pending seed
  EXPECT_EQ(state[0], 0.0);
  for (int i = 1; i < 55; ++i) EXPECT_EQ(state[i], 0.0);
  EXPECT_EQ(state[55], 3141.0);
  EXPECT_EQ(state[56], 0.0);

  (void)draw(2);
  randunit::randsave(state);
  EXPECT_EQ(state[54], first6[1]);
  EXPECT_EQ(state[55], first6[0]);
  EXPECT_EQ(state[56], 54.0);
}

TEST_F(RandTest, DegenerateRestoredTableDoesNotHang) {
  double state[randunit::savesize];
  for (double& d : state) d = 5e8;  // every pass yields zeros: s = 2 for ever
  state[0] = 0;
  state[56] = 0;
  randunit::randrestore(state);
  EXPECT_EQ(randunit::randnormal(), 0.0);

  // A position that cannot index the table counts as 0.
  state[56] = 1e300;
  randunit::randrestore(state);
  EXPECT_EQ(randunit::uniformnext, 0);
  state[56] = std::nan("");
  randunit::randrestore(state);
  EXPECT_EQ(randunit::uniformnext, 0);
}

}  // namespace
