#include "fit/estimation/identifiability.hpp"

#include <Eigen/Eigenvalues>
#include <Eigen/QR>
#include <Eigen/SVD>
#include <cmath>
#include <cstdio>

#include "fit/estimation/estimates.hpp"
#include "fit/estimation/number_text.hpp"

namespace kesta::fit_detail {

namespace {

// Two undetermined parameters share a null direction when their rows of the
// orthonormal null basis overlap by more than this.
constexpr double kLinked = 1e-3;
// Singular values of a group's null rows below this count as zero.
constexpr double kGroupRank = 1e-6;
constexpr double kPivot = 1e-9;

std::string names_text(const std::vector<FreeParameter>& parameters, const std::vector<std::size_t>& which) {
  std::string out;
  for (std::size_t k = 0; k < which.size(); ++k) {
    if (k > 0) out += k + 1 == which.size() ? " and " : ", ";
    out += parameters[which[k]].name;
  }
  return out;
}

std::string count_word(std::size_t n) {
  constexpr const char* kWords[] = {"no", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"};
  return n < std::size(kWords) ? kWords[n] : std::to_string(n);
}

std::string value_text(const Combination& c) {
  std::string out = c.expression + " = " + six_digits(c.value);
  if (c.std_error) {
    out += " (standard error " + six_digits(*c.std_error);
    if (c.ci95) out += ", 95 % interval " + six_digits(c.ci95->first) + " to " + six_digits(c.ci95->second);
    out += ")";
  }
  return out;
}

// Groups of undetermined parameters that move together.
std::vector<std::vector<std::size_t>> linked_groups(const LeastSquaresFit& fit) {
  const Eigen::MatrixXd q = Eigen::HouseholderQR<Eigen::MatrixXd>(fit.null_space.basis).householderQ() *
                            Eigen::MatrixXd::Identity(fit.null_space.basis.rows(), fit.null_space.basis.cols());
  const Eigen::MatrixXd projector = q * q.transpose();
  const std::size_t p = fit.null_space.undetermined.size();
  std::vector<int> group(p, -1);
  std::vector<std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < p; ++i) {
    if (!fit.null_space.undetermined[i] || group[i] >= 0) continue;
    groups.push_back({i});
    group[i] = static_cast<int>(groups.size() - 1);
    // Grow the group by every parameter linked to one already in it.
    for (std::size_t k = 0; k < groups.back().size(); ++k) {
      const auto a = static_cast<Eigen::Index>(groups.back()[k]);
      for (std::size_t j = 0; j < p; ++j) {
        const auto b = static_cast<Eigen::Index>(j);
        if (!fit.null_space.undetermined[j] || group[j] >= 0) continue;
        if (std::abs(projector(a, b)) > kLinked * std::sqrt(projector(a, a) * projector(b, b))) {
          group[j] = group[i];
          groups.back().push_back(j);
        }
      }
    }
  }
  return groups;
}

// Rows of a basis of what the data fix within a group, in reduced row echelon
// form, so that each combination leads with a parameter of its own.
std::vector<std::vector<double>> fixed_combinations(const LeastSquaresFit& fit, const std::vector<std::size_t>& group) {
  const auto m = static_cast<Eigen::Index>(group.size());
  Eigen::MatrixXd rows(m, fit.null_space.basis.cols());
  for (Eigen::Index k = 0; k < m; ++k) rows.row(k) = fit.null_space.basis.row(static_cast<Eigen::Index>(group[k]));
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(rows, Eigen::ComputeFullU);
  Eigen::Index rank = 0;
  for (Eigen::Index k = 0; k < svd.singularValues().size(); ++k)
    if (svd.singularValues()(k) > kGroupRank) ++rank;
  Eigen::MatrixXd echelon = svd.matrixU().rightCols(m - rank).transpose();

  Eigen::Index row = 0;
  for (Eigen::Index col = 0; col < m && row < echelon.rows(); ++col) {
    Eigen::Index best = row;
    for (Eigen::Index r = row; r < echelon.rows(); ++r)
      if (std::abs(echelon(r, col)) > std::abs(echelon(best, col))) best = r;
    if (std::abs(echelon(best, col)) < kPivot) continue;
    echelon.row(row).swap(echelon.row(best));
    echelon.row(row) /= echelon(row, col);
    for (Eigen::Index r = 0; r < echelon.rows(); ++r)
      if (r != row) echelon.row(r) -= echelon(r, col) * echelon.row(row);
    ++row;
  }
  std::vector<std::vector<double>> out;
  for (Eigen::Index r = 0; r < echelon.rows(); ++r) {
    std::vector<double> c(fit.internal.size(), 0.0);
    for (Eigen::Index k = 0; k < m; ++k) c[group[static_cast<std::size_t>(k)]] = echelon(r, k);
    out.push_back(c);
  }
  return out;
}

Finding null_space_finding(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit,
                           const std::vector<std::size_t>& group, std::string_view more_data) {
  Finding f;
  f.parameters = group;
  for (const std::vector<double>& c : fixed_combinations(fit, group))
    f.determined.push_back(make_combination(c, parameters, fit));
  const std::string names = names_text(parameters, group);
  const bool one = group.size() == 1;
  if (f.determined.empty()) {
    f.kind = Finding::Kind::NoEffect;
    f.text = "The simulated values do not depend on " + names + ", so the data cannot determine " +
             (one ? "it" : "them") + ". Fix " + (one ? "it" : "them") + " at a value known from elsewhere (take " +
             (one ? "it" : "them") + " out of [parameters]).";
    return f;
  }
  f.kind = Finding::Kind::NotSeparable;
  std::string through, values;
  for (std::size_t k = 0; k < f.determined.size(); ++k) {
    if (k > 0) through += k + 1 == f.determined.size() ? " and " : ", ";
    through += f.determined[k].expression;
    values += (k > 0 ? "; " : "") + value_text(f.determined[k]);
  }
  const std::size_t free_count = group.size() - f.determined.size();
  f.text = "The data cannot tell " + names + " apart: the simulated values depend on them only through " + through +
           ", so only " + (f.determined.size() == 1 ? "that is" : "those are") + " determined: " + values +
           ". The standard errors of " + names + " are undetermined. " + std::string(more_data) +
           " could separate them; or fix " + count_word(free_count) + " of them (take " +
           (free_count == 1 ? "it" : "them") + " out of [parameters]).";
  return f;
}

Finding correlation_finding(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit, std::size_t a,
                            std::size_t b, double rho, std::string_view more_data) {
  const auto i = static_cast<Eigen::Index>(a);
  const auto j = static_cast<Eigen::Index>(b);
  Eigen::Matrix2d block;
  block << fit.covariance(i, i), fit.covariance(i, j), fit.covariance(j, i), fit.covariance(j, j);
  // The best-determined combination lies along the smallest variance.
  const Eigen::SelfAdjointEigenSolver<Eigen::Matrix2d> eigen(block);
  std::vector<double> c(fit.internal.size(), 0.0);
  c[a] = eigen.eigenvectors()(0, 0);
  c[b] = eigen.eigenvectors()(1, 0);
  Finding f;
  f.kind = Finding::Kind::Correlated;
  f.parameters = {a, b};
  f.correlation = rho;
  f.determined.push_back(make_combination(c, parameters, fit));
  char r[16];
  (void)std::snprintf(r, sizeof r, "%+.3f", rho);
  f.text = parameters[a].name + " and " + parameters[b].name + " are strongly correlated (" + r +
           "): the data fix mainly " + value_text(f.determined[0]) +
           ", much less each of them alone, so their standard errors are large. " + std::string(more_data) +
           " could separate them; or fix one of them (take it out of [parameters]).";
  return f;
}

}  // namespace

std::vector<Finding> identifiability_findings(const std::vector<FreeParameter>& parameters, const LeastSquaresFit& fit,
                                              std::string_view more_data) {
  std::vector<Finding> out;
  if (fit.null_space.rank_deficiency() > 0)
    for (const std::vector<std::size_t>& group : linked_groups(fit))
      out.push_back(null_space_finding(parameters, fit, group, more_data));
  const auto rho = correlation_matrix(fit);
  for (std::size_t a = 0; a < rho.size(); ++a)
    for (std::size_t b = a + 1; b < rho.size(); ++b)
      if (rho[a][b] && std::abs(*rho[a][b]) > kStrongCorrelation)
        out.push_back(correlation_finding(parameters, fit, a, b, *rho[a][b], more_data));
  return out;
}

}  // namespace kesta::fit_detail
