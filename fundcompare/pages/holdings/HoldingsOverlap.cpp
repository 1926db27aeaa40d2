// HoldingsOverlap: the merge of two sorted portfolios, and the matrix of every pair.
#include "pages/holdings/HoldingsOverlap.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

HoldingsOverlap::Portfolio HoldingsOverlap::Make(std::vector<Weight> lines, bool reported) {
    Portfolio portfolio;
    portfolio.reported = reported;
    lines.erase(
        std::remove_if(lines.begin(), lines.end(),
                       [](const Weight& line) { return !(std::isfinite(line.weight) && line.weight >= 0); }),
        lines.end());
    std::stable_sort(lines.begin(), lines.end(),
                     [](const Weight& a, const Weight& b) { return a.key < b.key; });
    for (const Weight& line : lines) {
        if (!portfolio.weights.empty() && portfolio.weights.back().key == line.key)
            portfolio.weights.back().weight += line.weight;
        else
            portfolio.weights.push_back(line);
    }
    return portfolio;
}

double HoldingsOverlap::Total(const Portfolio& portfolio) {
    if (!portfolio.reported)
        return kNaN;
    double total = 0;
    for (const Weight& weight : portfolio.weights)
        total += weight.weight;
    return total;
}

double HoldingsOverlap::Overlap(const Portfolio& a, const Portfolio& b) {
    if (!a.reported || !b.reported)
        return kNaN;
    double sum = 0;
    auto i = a.weights.begin(), j = b.weights.begin();
    while (i != a.weights.end() && j != b.weights.end()) {
        if (i->key < j->key) {
            ++i;
        } else if (j->key < i->key) {
            ++j;
        } else {
            sum += std::min(i->weight, j->weight);
            ++i;
            ++j;
        }
    }
    return sum;
}

std::vector<double> HoldingsOverlap::Matrix(const std::vector<Portfolio>& portfolios) {
    const size_t n = portfolios.size();
    std::vector<double> matrix(n * n, kNaN);
    for (size_t r = 0; r < n; ++r) {
        matrix[r * n + r] = Total(portfolios[r]);
        for (size_t c = r + 1; c < n; ++c)
            matrix[r * n + c] = matrix[c * n + r] = Overlap(portfolios[r], portfolios[c]);
    }
    return matrix;
}

std::vector<HoldingsOverlap::Weight> HoldingsOverlap::Common(const Portfolio& a, const Portfolio& b) {
    std::vector<Weight> common;
    if (!a.reported || !b.reported)
        return common;
    auto i = a.weights.begin(), j = b.weights.begin();
    while (i != a.weights.end() && j != b.weights.end()) {
        if (i->key < j->key) {
            ++i;
        } else if (j->key < i->key) {
            ++j;
        } else {
            common.push_back({i->key, std::min(i->weight, j->weight)});
            ++i;
            ++j;
        }
    }
    std::stable_sort(common.begin(), common.end(),
                     [](const Weight& x, const Weight& y) { return x.weight > y.weight; });
    return common;
}
