#pragma once

// Small numerics: the running mean and spread of a stream, and the 95 % intervals the
// workbook reports.

namespace toolkit {

/// Mean and spread of a stream of values in double, by Welford's update: no sum of squares
/// that cancels when the spread is small beside the mean.
class Welford {
public:
    void Add(double value) {
        ++count_;
        const double delta = value - mean_;
        mean_ += delta / static_cast<double>(count_);
        m2_ += delta * (value - mean_);
    }
    long long Count() const { return count_; }
    double Mean() const { return mean_; }
    /// The sample variance (divided by count − 1); needs two values at least.
    double Variance() const { return count_ > 1 ? m2_ / static_cast<double>(count_ - 1) : 0.0; }

private:
    long long count_ = 0;
    double mean_ = 0, m2_ = 0;
};

struct Interval {
    double low = 0, high = 0;
};

/// Two-sided 95 % quantile of Student's t, t(0.975; degrees): 12.706 for 1, 2.776 for 4,
/// tending to 1.960.
double StudentT95(long long degrees);
/// 95 % interval of the mean by Student's t; needs two values at least.
Interval MeanInterval95(const Welford& values);
/// Wilson's 95 % score interval of a proportion, as fractions of 1; trials ≥ 1.
Interval WilsonInterval95(long long successes, long long trials);

}  // namespace toolkit
