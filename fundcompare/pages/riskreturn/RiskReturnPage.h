// RiskReturnPage: The third tab, 风险回报: a star map of return against standard deviation.
//
// The figures of every fund, the type averages and the index series are read once, on the first
// show, and kept for the page's life; a change of the compared set or of the horizon only picks
// the compared funds' stars anew.
#pragma once

#include "pages/common/ComparePage.h"
#include "pages/riskreturn/MyNewStarDelegate.h"
#include "pages/riskreturn/RiskUniverse.h"
#include "wgui/Button.h"
#include "wgui/ComboBox.h"

#include <sdk/CompareWorkspace.h>
#include <sdk/ControlStarMap.h>

#include <vector>

class RiskReturnPage : public ComparePage {
public:
    static constexpr int kHorizonBoxId = CompareWorkspace::kChoiceBoxId;
    static constexpr int kFitBoxId = 106;
    static constexpr const wchar_t* kFitCaption = L"适应数据";

    RiskReturnPage();
    ~RiskReturnPage() override;

    void ApplyTheme(Conf::ITheme* theme) override;
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Rebuilds the page when its window is visible; a hidden page catches up when shown.
    void ReloadIfVisible() override;
    void OnDatabaseChanged() override;
    int ReloadCount() const { return m_reloads; }

    // Loads the figures if none are loaded yet, picks the compared funds' stars of horizon h and
    // hands them to the map. Figures being read ahead are waited for: the page shows that it is
    // loading and finishes the show when they come (OnReadAhead).
    void ShowHorizon(int h);
    std::optional<AheadRequest> AwaitedAhead() const override;
    void OnReadAhead(AheadResult result) override;
    // Reads the funds' figures, the index weeks and the type averages. They are kept only when all
    // three statements read to their end, so that a show after any failure loads them again.
    void LoadRiskData();
    void BuildStars(int h);

    // Fits the axes to the stars shown, or gives the fixed axes back; the box follows.
    void SetFitToData(bool fit);
    bool FitToData() const { return m_delegate.FitToData(); }
    // The compared funds without a star at the horizon shown, in set order, and the words the
    // page writes about them under the map.
    const std::vector<RiskModel::MissingFund>& Missing() const { return m_missing; }
    XStringW MissingText() const { return RiskModel::DescribeMissing(m_missing, m_delegate.Horizon()); }
    // Where the words about the funds without a star are written (below the map).
    const RECT& MissingRect() const { return m_missingRect; }

    Control::FundStarMap& StarMap() { return m_starMap; }
    WGUI::Button& FitBox() { return m_fitBox; }
    WGUI::ComboBox& HorizonBox() { return m_horizonBox; }
    MyNewStarDelegate& Delegate() { return m_delegate; }
    const std::vector<RiskModel::FundStar>& Stars() const { return m_stars; }
    const std::vector<RiskModel::AverageEntry>& Averages() const { return m_universe.Averages(); }
    const std::vector<double>& IndexWeeks() const { return m_universe.IndexWeeks(); }
    const RiskUniverse& Universe() const { return m_universe; }

private:
    void OnCreate();
    void OnSize(int width, int height);
    // Places the box, the map and the words under it in the page's client area.
    void Layout();
    void PaintOver(HDC dc, const RECT& client) override;
    int CurrentHorizon() const;
    // Takes the read-ahead's answer: its universe (or its error), or the universe read here when
    // nothing reads ahead; false while it is on its way.
    bool TakeUniverse(AheadResult result);
    // Hands the stars of horizon h to the map when the figures are ready, else says "加载中".
    void ShowStars(int h, bool ready);
    void Adopt(RiskUniverse universe);

    WGUI::ComboBox m_horizonBox;
    WGUI::Button m_fitBox;
    Control::FundStarMap m_starMap;
    MyNewStarDelegate m_delegate;
    RiskUniverse m_universe;
    std::vector<RiskModel::FundStar> m_stars;
    std::vector<RiskModel::MissingFund> m_missing;
    RECT m_missingRect{0, 0, 0, 0};
    COLORREF m_labelColour = RGB(128, 128, 128);
    int m_reloads = 0;
};
