#include "Summary.h"

#include <cstdio>
#include <cstdlib>

namespace BenchSupport {

namespace {

void Append(const std::string& figure, const std::string& value, const std::string& reference,
            const std::string& ratio, const std::string& budget, bool kept) {
    const char* path = std::getenv("FC_BENCH_SUMMARY");
    if (path == nullptr || *path == '\0')
        return;
    std::FILE* file = std::fopen(path, "a");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot add to the summary %s\n", path);
        return;
    }
    std::fprintf(file, "%s\t%s\t%s\t%s\t%s\t%s\n", figure.c_str(), value.c_str(), reference.c_str(),
                 ratio.c_str(), budget.c_str(), kept ? "ok" : "OVER");
    std::fclose(file);
}

std::string Number(double value, const char* unit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f %s", value, unit);
    return text;
}

} // namespace

void SummaryRow(const std::string& figure, double value, const char* unit, double budget) {
    Append(figure, Number(value, unit), "", "", "<= " + Number(budget, unit), value <= budget);
}

void SummaryRatioRow(const std::string& figure, double value, double reference, double ratio, double budget,
                     const char* unit) {
    char ratioText[32], budgetText[32];
    std::snprintf(ratioText, sizeof ratioText, "%.2f", ratio);
    std::snprintf(budgetText, sizeof budgetText, "ratio <= %.2f", budget);
    Append(figure, Number(value, unit), Number(reference, unit), ratioText, budgetText, ratio <= budget);
}

} // namespace BenchSupport
