// MyNewStarDelegate: answers the star map for the risk-return page. It holds copies of the fund
// stars of the current horizon and of the average entries, so the map may read them at any time
// while the page reloads its own lists.
#pragma once

#include "pages/riskreturn/RiskModel.h"

#include <sdk/ControlStarMap.h>

class MyNewStarDelegate : public Control::FundStarMapDelegate {
public:
    void SetStars(std::vector<RiskModel::FundStar> stars) { m_stars = std::move(stars); }
    void SetAverages(std::vector<RiskModel::AverageEntry> averages) { m_averages = std::move(averages); }
    // Clamped to the horizons there are, so that a stray position never indexes past them.
    void SetHorizon(int horizon);
    int Horizon() const { return m_horizon; }
    // Off, the axes are the fixed ones (standard deviation 0 to 50 %, return -50 to 160 %); on,
    // both are fitted to the stars shown, funds, averages and index alike.
    void SetFitToData(bool fit) { m_fitToData = fit; }
    bool FitToData() const { return m_fitToData; }

    const std::vector<RiskModel::FundStar>& Stars() const { return m_stars; }
    const std::vector<RiskModel::AverageEntry>& Averages() const { return m_averages; }

    bool GetStdDevRange(double& upper, double& lower) override;
    bool GetReturnRange(double& upper, double& lower) override;
    // The fund stars, then one star per average entry (the index last).
    int GetStarCount() override;
    // False, leaving the star out, for an index outside the stars and for an average entry that
    // has no figure at the current horizon.
    bool GetStar(int index, Control::StarInfo& info) override;
    // The averages are already among the stars.
    int GetAverageCount() override { return 0; }
    bool GetAverageStar(int index, Control::StarInfo& info) override;
    XStringW FormatPercent(double value) override;
    XStringW FormatPercent2(double value) override { return FormatPercent(value); }
    XStringW GetReturnCaption() override;
    XStringW GetStdDevCaption() override;

private:
    // The figures (percent) of every star shown at the current horizon: return or deviation.
    std::vector<double> ShownValues(bool returns) const;

    std::vector<RiskModel::FundStar> m_stars;
    std::vector<RiskModel::AverageEntry> m_averages;
    int m_horizon = 0;
    bool m_fitToData = false;
};
