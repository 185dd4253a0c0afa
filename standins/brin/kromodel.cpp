#include "standins/brin/kromodel.h"

#include <algorithm>

#include "bridge/solvertable.h"
#include "instance/gcdata.h"
#include "instance/gcload.h"

namespace brin {

namespace {

// The solver's number in the local solver table (ASCII case ignored); 0 when none.
int solvernumber(std::string_view name) {
  const auto same = [](std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             const auto up = [](char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; };
             return up(x) == up(y);
           });
  };
  for (int k = solvertable::first; k <= solvertable::last; ++k)
    if (same(solvertable::name(k), name)) return k;
  return 0;
}

// to[p] = from[order[p]] for every position p of the order.
void gather(const std::vector<double>& from, const std::vector<int>& order, double* to) {
  const double* src = from.data();
  const int* own = order.data();
  for (std::size_t p = 0; p < order.size(); ++p) to[p] = src[own[p]];
}

}  // namespace

bool modelobject::load(bool reform, std::string& msg) {
  if (gcload::loaddata() != gcload::loadok) {
    msg = "brin: the model instance could not be loaded";
    return false;
  }
  const gcdata::tmodel& md = gcdata::mymodel;
  reform_ = reform;
  cols_.clear();
  rows_.clear();
  lower_.clear();
  upper_.clear();
  level_.clear();
  modeltype = md.modeltype;
  nz = md.nonzeros;
  nlnz = md.nlnonzeros;
  optfile = md.useoptfile;
  optfilename = std::string(md.optfile.view());
  const int objcol = md.objvar - 1;  // model numbers count from 1; 0 is none
  const int objeq = md.objrow - 1;
  objvar_ = objcol;
  objrow_ = objeq;
  for (int c = 0; c < md.cols; ++c) {
    if (reform && c == objcol) continue;
    const auto u = static_cast<std::size_t>(c);
    cols_.push_back(c + 1);
    lower_.push_back(md.collower[u]);
    upper_.push_back(md.colupper[u]);
    level_.push_back(md.collevel[u]);
  }
  for (int r = 0; r < md.rows; ++r)
    if (!(reform && r == objeq)) rows_.push_back(r + 1);
  arrange();
  return true;
}

void modelobject::synthetic(int n, int m) {
  reform_ = false;
  objvar_ = objrow_ = -1;
  cols_.resize(static_cast<std::size_t>(n));
  rows_.resize(static_cast<std::size_t>(m));
  for (int c = 0; c < n; ++c) cols_[static_cast<std::size_t>(c)] = c + 1;
  for (int r = 0; r < m; ++r) rows_[static_cast<std::size_t>(r)] = r + 1;
  lower_.assign(cols_.size(), -1e20);
  upper_.assign(cols_.size(), 1e20);
  level_.assign(cols_.size(), 0.0);
  arrange();
}

void modelobject::arrange() {
  marginal_.assign(cols_.size(), 0.0);
  altlower_ = lower_;
  altupper_ = upper_;
  equmarginal_.assign(rows_.size(), 0.0);
  varorder_.resize(cols_.size());
  for (std::size_t j = 0; j < varorder_.size(); ++j) varorder_[j] = static_cast<int>(j);
  equorder_.resize(rows_.size());
  for (std::size_t i = 0; i < equorder_.size(); ++i) equorder_[i] = static_cast<int>(i);
}

bool modelobject::setorder(std::vector<int>& order, int count, const std::int32_t* given, int len) {
  if (len < 0 || len > count || (len > 0 && given == nullptr)) return false;
  std::vector<bool> seen(static_cast<std::size_t>(count), false);
  for (int p = 0; p < len; ++p) {
    const int j = given[p];
    if (j < 0 || j >= count || seen[static_cast<std::size_t>(j)]) return false;
    seen[static_cast<std::size_t>(j)] = true;
  }
  order.assign(given, given + len);
  return true;
}

bool modelobject::setvarorder(const std::int32_t* order, int len) {
  return setorder(varorder_, static_cast<int>(cols_.size()), order, len);
}

bool modelobject::setequorder(const std::int32_t* order, int len) {
  return setorder(equorder_, static_cast<int>(rows_.size()), order, len);
}

void modelobject::levels(double* to) const { gather(level_, varorder_, to); }
void modelobject::marginals(double* to) const { gather(marginal_, varorder_, to); }
void modelobject::equmarginals(double* to) const { gather(equmarginal_, equorder_, to); }

double modelobject::headntail(int k) const {
  return k >= 0 && k < static_cast<int>(headntail_.size()) ? headntail_[static_cast<std::size_t>(k)]
                                                           : 0.0;
}

int modelobject::solve(std::string_view solver, std::string& msg) {
  const int k = solvernumber(solver);
  if (k == 0) {
    msg = "brin: unknown solver " + std::string(solver);
    modelstat = 14;
    solvestat = 13;
    return 1;
  }
  for (std::size_t j = 0; j < cols_.size(); ++j) {
    const double lo = altbounds ? altlower_[j] : lower_[j];
    const double up = altbounds ? altupper_[j] : upper_[j];
    level_[j] = std::min(std::max(level_[j] + cols_[j], lo), up);
    marginal_[j] = 1000.0 * k + cols_[j];
  }
  for (std::size_t i = 0; i < rows_.size(); ++i) equmarginal_[i] = -(1000.0 * k + rows_[i]);
  modelstat = 2;
  solvestat = 1;
  headntail_.fill(0.0);
  for (int x : {3, 5, 15}) headntail_[static_cast<std::size_t>(x)] = 10.0 * x + k + 0.75;
  headntail_[11] = 110.0 + k + 0.75 + (forcecont ? 1000.0 : 0.0);
  msg.clear();
  return 0;
}

}  // namespace brin
