// formula/functions_finance.cpp — the financial @-functions: annuities, cash-flow values, terms
// and depreciation.
//
// With p the principal or payment, r the rate per period and n the number of periods, the
// annuity functions use A = (1 + r)^n (the power operator's rule, PowerOf) and
// B = (A - 1) / r; a zero rate makes B, and so the result, ERR. Every zero divisor, logarithm of
// a non-positive number and non-finite result is ERR.
// State: none; reads the cells of range arguments.
#include <cmath>
#include <vector>

#include "formula/evaluator.h"
#include "formula/formula_code.h"
#include "formula/functions_sheet_common.h"

namespace {

// A = (1 + r)^n and B = (A - 1) / r; false for a zero rate, a failed power or an overflow.
bool Annuity(double r, double n, double* a, double* b) {
  if (r == 0) return false;
  bool failed = false;
  *a = PowerOf(1 + r, n, &failed);
  if (failed || !std::isfinite(*a)) return false;
  *b = (*a - 1) / r;
  return std::isfinite(*b);
}

// q / d, or false for a zero divisor or a non-finite quotient.
bool Quotient(double q, double d, double* out) {
  if (d == 0) return false;
  *out = q / d;
  return std::isfinite(*out);
}

// Natural logarithm, false for x of 0 or less.
bool Log(double x, double* out) {
  if (!(x > 0)) return false;
  *out = std::log(x);
  return std::isfinite(*out);
}

// Sets the result or raises ERR.
void Finish(Frame& f, bool ok, double value) {
  if (!ok) {
    f.Fail();
    f.SetNumber(1.0);
    return;
  }
  SetChecked(f, value);
}

// @PMT(p, r, n): p * A / B.
void Pmt(Frame& f) {
  if (ArgumentFailed(f)) return;
  double a = 0, b = 0, q = 0;
  bool ok = Annuity(f.Number(2), f.Number(3), &a, &b) && Quotient(f.Number(1) * a, b, &q);
  Finish(f, ok, q);
}

// @PV(p, r, n): p * B / A.
void Pv(Frame& f) {
  if (ArgumentFailed(f)) return;
  double a = 0, b = 0, q = 0;
  bool ok = Annuity(f.Number(2), f.Number(3), &a, &b) && Quotient(f.Number(1) * b, a, &q);
  Finish(f, ok, q);
}

// @FV(p, r, n): p * B.
void Fv(Frame& f) {
  if (ArgumentFailed(f)) return;
  double a = 0, b = 0;
  bool ok = Annuity(f.Number(2), f.Number(3), &a, &b);
  Finish(f, ok, f.Number(1) * b);
}

// The numbers of a range argument (the numeric cells in range order); false when the argument is
// not a range or a cell of it carries the error mark.
bool RangeNumbers(Frame& f, int i, std::vector<double>* out) {
  ArgumentRange range;
  if (!f.Range(i, &range)) return false;
  return ForEachNumber(range, [&](double v) { out->push_back(v); });
}

// Sum of values[i - 1] / (1 + r)^i; false for a rate of -1 or an overflow.
bool PresentValue(const std::vector<double>& values, double r, double* out) {
  double sum = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    bool failed = false;
    double d = PowerOf(1 + r, double(i + 1), &failed);
    if (failed || d == 0) return false;
    sum += values[i] / d;
  }
  *out = sum;
  return std::isfinite(sum);
}

// @NPV(r, range): the numeric cells of the range are the cash flows of periods 1, 2, ...; other
// cells are skipped and take no period.
void Npv(Frame& f) {
  if (ArgumentFailed(f, 1, 1)) return;
  std::vector<double> values;
  double sum = 0;
  bool ok = RangeNumbers(f, 2, &values) && PresentValue(values, f.Number(1), &sum);
  Finish(f, ok, sum);
}

// Secant steps of @IRR: h = r * kIrrStepFactor (kIrrZeroStep at a rate of exactly 0, where a
// proportional step would vanish). A rate is accepted when |NPV| is at most kIrrTolerance times
// the sum of the cash flows' magnitudes, so the test does not depend on their units; up to
// kIrrPolishSteps further steps then refine it while they make |NPV| smaller, which brings the
// rate close to full precision without risking a failure on rounding noise.
constexpr double kIrrStepFactor = 1e-7;
constexpr double kIrrZeroStep = 1e-7;
constexpr double kIrrTolerance = 1e-10;
constexpr int kIrrMaxSteps = 25;
constexpr int kIrrPolishSteps = 3;

// One secant step from r, where NPV is `npv`; false when it cannot be taken.
bool IrrStep(const std::vector<double>& values, double r, double npv, double* next) {
  const double h = r == 0 ? kIrrZeroStep : r * kIrrStepFactor;
  double moved = 0;
  if (!PresentValue(values, r + h, &moved) || moved == npv) return false;
  *next = r - npv * h / (moved - npv);
  return std::isfinite(*next);
}

// @IRR(guess, range): the rate at which @NPV of the range is 0, from the guess by at most 25
// secant steps; no convergence, a flat NPV or a rate of -1 on the way is ERR. All-zero cash
// flows give the guess itself.
void Irr(Frame& f) {
  if (ArgumentFailed(f, 1, 1)) return;
  std::vector<double> values;
  if (!RangeNumbers(f, 2, &values)) return Finish(f, false, 0);
  double scale = 0;
  for (double v : values) scale += std::fabs(v);
  double r = f.Number(1);
  for (int step = 0;; ++step) {
    double npv = 0;
    if (!std::isfinite(r) || !PresentValue(values, r, &npv)) return Finish(f, false, 0);
    if (std::fabs(npv) <= kIrrTolerance * scale) {
      for (int polish = 0; polish < kIrrPolishSteps && npv != 0; ++polish) {
        double next = 0, nextNpv = 0;
        if (!IrrStep(values, r, npv, &next) || !PresentValue(values, next, &nextNpv) ||
            !(std::fabs(nextNpv) < std::fabs(npv))) {
          break;
        }
        r = next;
        npv = nextNpv;
      }
      return Finish(f, true, r);
    }
    if (step == kIrrMaxSteps || !IrrStep(values, r, npv, &r)) return Finish(f, false, 0);
  }
}

// @RATE(fv, pv, n): (fv / pv)^(1 / n) - 1.
void Rate(Frame& f) {
  if (ArgumentFailed(f)) return;
  double ratio = 0, exponent = 0;
  bool ok = Quotient(f.Number(1), f.Number(2), &ratio) && Quotient(1, f.Number(3), &exponent);
  bool failed = false;
  double p = ok ? PowerOf(ratio, exponent, &failed) : 0;
  Finish(f, ok && !failed, p - 1);
}

// @TERM(pmt, r, fv): ln(1 + fv * r / pmt) / ln(1 + r).
void Term(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double pmt = f.Number(1), r = f.Number(2), fv = f.Number(3);
  double q = 0, top = 0, bottom = 0, out = 0;
  bool ok = Quotient(fv * r, pmt, &q) && Log(1 + q, &top) && Log(1 + r, &bottom) &&
            Quotient(top, bottom, &out);
  Finish(f, ok, out);
}

// @CTERM(r, fv, pv): ln(fv / pv) / ln(1 + r).
void Cterm(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double r = f.Number(1), fv = f.Number(2), pv = f.Number(3);
  double ratio = 0, top = 0, bottom = 0, out = 0;
  bool ok = Quotient(fv, pv, &ratio) && Log(ratio, &top) && Log(1 + r, &bottom) &&
            Quotient(top, bottom, &out);
  Finish(f, ok, out);
}

// @SLN(cost, salvage, life): (cost - salvage) / life.
void Sln(Frame& f) {
  if (ArgumentFailed(f)) return;
  double out = 0;
  const bool ok = Quotient(f.Number(1) - f.Number(2), f.Number(3), &out);
  Finish(f, ok, out);
}

// @SYD(cost, salvage, life, per): (cost - salvage) * (life - per + 1) * 2 / (life * (life + 1)).
// A period below 1 or beyond the life is ERR, as for @DDB (the formula would give a negative or
// growing depreciation there).
void Syd(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double cost = f.Number(1), salvage = f.Number(2), life = f.Number(3), per = f.Number(4);
  double out = 0;
  bool ok = per >= 1 && per <= life &&
            Quotient((cost - salvage) * (life - per + 1) * 2, life * (life + 1), &out);
  Finish(f, ok, out);
}

// Periods up to which @DDB steps through the book value one period at a time; beyond, the book
// value before the period is computed in closed form (the rate 2 / life is then tiny).
constexpr double kDdbLoopPeriods = 100000;

// @DDB(cost, salvage, life, per): double-declining balance. Each period takes book * 2 / life,
// but never more than brings the book value down to the salvage value (and never a negative
// amount); the result is the amount of period `per` (rounded). A life of 0 or less, a period
// below 1 or beyond the life is ERR.
void Ddb(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double cost = f.Number(1), salvage = f.Number(2), life = f.Number(3);
  double per = 0;
  if (!Rounded(f.Number(4), &per) || !(life > 0) || !std::isfinite(life) || per < 1 ||
      per > life) {
    return Finish(f, false, 0);
  }
  const double rate = 2 / life;
  double book = cost;
  double dep = 0;
  double first = 1;
  if (per > kDdbLoopPeriods) {
    // Book value before period `per` without the salvage floor; the floor only matters once the
    // unfloored value has fallen to the salvage value, after which every amount is 0.
    book = cost * std::pow(1 - rate, per - 1);
    if (book <= salvage) return Finish(f, true, 0);
    first = per;
  }
  for (double k = first; k <= per; ++k) {
    dep = book * rate;
    if (book - dep < salvage) dep = book - salvage;
    if (dep < 0) dep = 0;
    book -= dep;
  }
  Finish(f, true, dep);
}

// Balance of a loan of p at rate r over n payments after k payments, with the payment `pay`.
bool Balance(double pay, double r, double n, double k, double* out) {
  bool failed = false;
  double d = PowerOf(1 + r, -(n - k), &failed);
  if (failed || !std::isfinite(d)) return false;
  return Quotient(pay * (1 - d), r, out);
}

// The payment of @BAL, @ACI and @PMTP (as @PMT); a rate of 0 or less is ERR.
bool LoanPayment(Frame& f, double* pay) {
  const double p = f.Number(1), r = f.Number(2), n = f.Number(3);
  double a = 0, b = 0;
  return r > 0 && Annuity(r, n, &a, &b) && Quotient(p * a, b, pay);
}

// @BAL(p, r, n, k): the balance after k payments.
void Bal(Frame& f) {
  if (ArgumentFailed(f)) return;
  double pay = 0, bal = 0;
  bool ok = LoanPayment(f, &pay) && Balance(pay, f.Number(2), f.Number(3), f.Number(4), &bal);
  Finish(f, ok, bal);
}

// @ACI(p, r, n, k): the interest paid with the first k payments: k * pay + balance(k) - p.
void Aci(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double k = f.Number(4);
  double pay = 0, bal = 0;
  bool ok = LoanPayment(f, &pay) && Balance(pay, f.Number(2), f.Number(3), k, &bal);
  Finish(f, ok, k * pay + bal - f.Number(1));
}

// @PMTP(p, r, n, k): the principal part of payment k: pay - balance(k - 1) * r.
void Pmtp(Frame& f) {
  if (ArgumentFailed(f)) return;
  const double r = f.Number(2);
  double pay = 0, bal = 0;
  bool ok = LoanPayment(f, &pay) && Balance(pay, r, f.Number(3), f.Number(4) - 1, &bal);
  Finish(f, ok, pay - bal * r);
}

}  // namespace

void RegisterFinanceFunctions() {
  RegisterFunction(uint8_t(Op::kPmt), Pmt);
  RegisterFunction(uint8_t(Op::kPv), Pv);
  RegisterFunction(uint8_t(Op::kFv), Fv);
  RegisterFunction(uint8_t(Op::kNpv), Npv);
  RegisterFunction(uint8_t(Op::kIrr), Irr);
  RegisterFunction(uint8_t(Op::kRate), Rate);
  RegisterFunction(uint8_t(Op::kTerm), Term);
  RegisterFunction(uint8_t(Op::kCterm), Cterm);
  RegisterFunction(uint8_t(Op::kSln), Sln);
  RegisterFunction(uint8_t(Op::kSyd), Syd);
  RegisterFunction(uint8_t(Op::kDdb), Ddb);
  RegisterFunction(uint8_t(Op::kBal), Bal);
  RegisterFunction(uint8_t(Op::kAci), Aci);
  RegisterFunction(uint8_t(Op::kPmtp), Pmtp);
}
