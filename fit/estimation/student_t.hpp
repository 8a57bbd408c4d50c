#pragma once
// Student's t distribution, for the 95 % intervals of the estimates.

namespace kesta::fit_detail {

// P(|T| <= t) for Student's t with nu degrees of freedom (nu >= 1).
double student_t_central(double t, int nu);

// The t with P(|T| <= t) = probability: 1.96 for 0.95 and many degrees of freedom.
double student_t_quantile(double probability, int nu);

}  // namespace kesta::fit_detail
