// The model-object part of the combined stand-in library: one model instance loaded through
// the project's own loader (sizes, bounds, levels, objective, option file), presented in
// the model's order or, once reverse permutations are installed, in BARON's order; the
// settings a solver call reads (alternative bounds, continuous switch, infinities, option
// file); and the fake local solver that hvnCallSolver runs on it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace brin {

class environment;

class modelobject {
 public:
  // Loads the run's model (the control file the environment was initialised from); false
  // with the reason. With reform the objective variable and row are not counted.
  bool load(bool reform, std::string& msg);
  // A model of n columns (bounds -1e20 and 1e20, levels 0) and m rows made up without
  // files, for measuring a caller's own time on large models.
  void synthetic(int n, int m);

  // Counts and numbers of the model object (0-based; -1: none).
  [[nodiscard]] int n() const { return static_cast<int>(varorder_.size()); }
  [[nodiscard]] int m() const { return static_cast<int>(equorder_.size()); }
  [[nodiscard]] int objvar() const { return objvar_; }
  [[nodiscard]] int objrow() const { return objrow_; }
  [[nodiscard]] bool reform() const { return reform_; }
  int modeltype = 0;
  int nz = 0;
  int nlnz = 0;

  // Installs BARON's order: order[p] is the model object's own index of position p. Refused
  // (false) for an index out of range or one that comes twice.
  bool setvarorder(const std::int32_t* order, int len);
  bool setequorder(const std::int32_t* order, int len);

  // Per variable by the current order's index; false for an index out of range. Inline:
  // a caller pushes every variable of a large model through these.
  bool setlevel(int i, double v) { return setone(level_, i, v); }
  bool setmarginal(int i, double v) { return setone(marginal_, i, v); }
  bool setaltlower(int i, double v) { return setone(altlower_, i, v); }
  bool setaltupper(int i, double v) { return setone(altupper_, i, v); }
  // Whole arrays in the current order.
  void levels(double* to) const;
  void marginals(double* to) const;
  void equmarginals(double* to) const;

  bool altbounds = false;
  bool forcecont = false;
  double minf = -1e20;
  double pinf = 1e20;
  int objstyle = 0;
  int optfile = 0;
  std::string optfilename;
  int modelstat = 0;
  int solvestat = 0;
  [[nodiscard]] double headntail(int k) const;

  // The fake local solver: 0 for a solver of the local solver table, 1 for any other name.
  int solve(std::string_view solver, std::string& msg);
  // Column (1-based model number) of the model object's own variable index, row likewise.
  [[nodiscard]] int column(int own) const { return cols_[static_cast<std::size_t>(own)]; }
  [[nodiscard]] int row(int own) const { return rows_[static_cast<std::size_t>(own)]; }

 private:
  // The arrays beside the columns and rows, identity orders.
  void arrange();
  static bool setorder(std::vector<int>& order, int count, const std::int32_t* given, int len);
  // Own index at position i of the current order, -1 out of range.
  [[nodiscard]] int var(int i) const {
    return i >= 0 && i < n() ? varorder_[static_cast<std::size_t>(i)] : -1;
  }
  bool setone(std::vector<double>& array, int i, double v) {
    const int j = var(i);
    if (j < 0) return false;
    array[static_cast<std::size_t>(j)] = v;
    return true;
  }

  bool reform_ = false;
  int objvar_ = -1;
  int objrow_ = -1;
  std::vector<int> cols_, rows_;  // model numbers of the own indices
  std::vector<double> lower_, upper_, level_, marginal_, altlower_, altupper_, equmarginal_;
  std::vector<int> varorder_, equorder_;  // current order: position -> own index
  std::array<double, 16> headntail_{};
};

}  // namespace brin
