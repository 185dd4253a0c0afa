// A program that plays BARON towards the bridge library: it opens the library by path
// (RTLD_NOW | RTLD_LOCAL), resolves the three exports and runs a script of calls, printing
// every result and output array on standard output (standard error joins it, so the
// bridge's messages stand in order between the results).
//
// Usage: bl_baronplay <library> <script file>
// Script lines (blank lines and lines starting with # are skipped):
//   init <control file or -> <slots> <date>    baronzolm_init; "-" passes a null text
//   lower|upper|levels|marginals <values...>    set the arrays handed to solveprob
//   equs <count>                                 size of the equation marginals (filled -7)
//   solve <solver> <optfile or -> <text or -> <all continuous> <node limit> <want equs>
//   forget                                       the next solves pass a null state
//   free                                         baronzolm_free (of the state init stored)
// A state the script leaves is freed at the end without a line, as BARON frees it last.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/korvasteps.h"

namespace {

std::string num(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%.15g", v);
  return b;
}

template <typename T>
void printarray(const char* name, const std::vector<T>& a) {
  std::string line = name;
  for (const T& v : a) line += " " + num(static_cast<double>(v));
  std::printf("%s\n", line.c_str());
}

const char* orNull(const std::string& s) { return s == "-" ? nullptr : s.c_str(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bl_baronplay <library> <script>\n");
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  (void)dup2(1, 2);
  void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) {
    std::printf("dlopen failed: %s\n", dlerror());
    return 2;
  }
  const auto init = reinterpret_cast<baronzolm_init_fn>(dlsym(lib, "baronzolm_init"));
  const auto solve = reinterpret_cast<baronzolm_solveprob_fn>(dlsym(lib, "baronzolm_solveprob"));
  const auto release = reinterpret_cast<baronzolm_free_fn>(dlsym(lib, "baronzolm_free"));
  if (init == nullptr || solve == nullptr || release == nullptr) {
    std::printf("an export is missing\n");
    return 2;
  }
  std::ifstream script(argv[2]);
  void* state = nullptr;
  bool nullstate = false;
  std::vector<double> lower, upper, levels, marginals, equs;
  std::string line;
  while (std::getline(script, line)) {
    std::istringstream in(line);
    std::string cmd;
    if (!(in >> cmd) || cmd[0] == '#') continue;
    if (cmd == "init") {
      std::string ctl;
      int slots = 0, date = 0;
      in >> ctl >> slots >> date;
      std::vector<std::int32_t> avail(static_cast<std::size_t>(std::max(slots, 0)), -1);
      std::int32_t o[5] = {-1, -1, -1, -1, -1};
      std::int32_t o12 = -1;
      const int r = init(&state, orNull(ctl), &o[0], &o[1], &o[2], &o[3], &o[4], avail.data(),
                         slots, date, nullptr, &o12);
      std::printf("init %d outs %d %d %d %d %d out12 %d\n", r, o[0], o[1], o[2], o[3], o[4], o12);
      printarray("avail", avail);
    } else if (cmd == "lower" || cmd == "upper" || cmd == "levels" || cmd == "marginals") {
      std::vector<double>& a = cmd == "lower"    ? lower
                               : cmd == "upper"  ? upper
                               : cmd == "levels" ? levels
                                                 : marginals;
      a.clear();
      for (double v; in >> v;) a.push_back(v);
    } else if (cmd == "equs") {
      int n = 0;
      in >> n;
      equs.assign(static_cast<std::size_t>(std::max(n, 0)), -7.0);
    } else if (cmd == "solve") {
      std::string optfile, text;
      std::int32_t solver = 0, allcont = 0, nodelim = 0, wantequ = 0;
      in >> solver >> optfile >> text >> allcont >> nodelim >> wantequ;
      const double d6 = 6.5, d10 = 10.5, d11 = 11.5;
      const std::int32_t i7 = 7, i9 = 9;
      std::int32_t ms = -1, ss = -1, h3 = -1, h11 = -1;
      double h5 = -1, h15 = -1;
      const int r =
          solve(nullstate ? nullptr : state, &solver, orNull(optfile), orNull(text), &allcont, &d6,
                &i7, &nodelim, &i9, &d10, &d11, lower.data(), upper.data(), levels.data(),
                marginals.data(), &wantequ, equs.data(), &ms, &ss, &h5, &h15, &h3, &h11);
      std::printf("solve %d modelstat %d solvestat %d ht5 %s ht15 %s ht3 %d ht11 %d\n", r, ms, ss,
                  num(h5).c_str(), num(h15).c_str(), h3, h11);
      printarray("levels", levels);
      printarray("marginals", marginals);
      printarray("equmarginals", equs);
    } else if (cmd == "forget") {
      nullstate = true;
    } else if (cmd == "free") {
      std::printf("free %d\n", release(state));
      state = nullptr;
      nullstate = false;
    } else {
      std::printf("unknown command %s\n", cmd.c_str());
      return 2;
    }
  }
  if (state != nullptr) (void)release(state);
  return 0;
}
