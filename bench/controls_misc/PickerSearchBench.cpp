// The fund picker's search over a market of 12,000 funds: the search alone, fresh and while
// typing, and one keystroke through the picker window (search, list refresh and current row).
#include "XComboExSearch.h"

#include <sdk/ControlComboEx.h>
#include <sdk/Kernel.h>
#include <sdk/XComPtr.h>

#include <platform/driver.h>

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kFunds = 12000;

struct FundText {
    std::wstring code, alias, name, pycode;
};

// Names and initials built from the words fund names are made of, so that searches hit as often
// as they do on real data.
std::vector<FundText> MakeFunds() {
    const std::pair<const wchar_t*, const wchar_t*> companies[] = {
        {L"华夏", L"HX"}, {L"易方达", L"YFD"}, {L"南方", L"NF"}, {L"嘉实", L"JS"}, {L"博时", L"BS"},
        {L"广发", L"GF"}, {L"汇添富", L"HTF"}, {L"富国", L"FG"}, {L"招商", L"ZS"}, {L"工银瑞信", L"GYRX"},
        {L"鹏华", L"PH"}, {L"银华", L"YH"},    {L"华安", L"HA"}, {L"大成", L"DC"}, {L"景顺长城", L"JSCC"}};
    const std::pair<const wchar_t*, const wchar_t*> themes[] = {
        {L"成长", L"CZ"}, {L"价值", L"JZ"},      {L"沪深300", L"HS300"}, {L"中小盘", L"ZXP"},
        {L"消费", L"XF"}, {L"医药", L"YY"},      {L"科技", L"KJ"},       {L"红利", L"HL"},
        {L"稳健", L"WJ"}, {L"新兴产业", L"XXCY"}};
    const std::pair<const wchar_t*, const wchar_t*> kinds[] = {
        {L"混合", L"HH"}, {L"股票", L"GP"}, {L"债券", L"ZQ"}, {L"指数", L"ZS"}, {L"灵活配置", L"LHPZ"}};
    std::mt19937 random(20261207);
    std::vector<FundText> funds;
    funds.reserve(kFunds);
    for (int i = 0; i < kFunds; ++i) {
        const auto& c = companies[random() % std::size(companies)];
        const auto& t = themes[random() % std::size(themes)];
        const auto& k = kinds[random() % std::size(kinds)];
        wchar_t code[16];
        std::swprintf(code, 16, L"%06d", static_cast<int>((i * 7919) % 1000000));
        FundText f;
        f.code = std::wstring(L"F") + code;
        f.alias = code;
        f.name = std::wstring(c.first) + t.first + k.first;
        f.pycode = std::wstring(c.second) + t.second + k.second;
        if (i % 3 == 0) {
            f.name += L"A";
            f.pycode += L"A";
        }
        funds.push_back(std::move(f));
    }
    return funds;
}

const std::vector<FundText>& Funds() {
    static const std::vector<FundText> funds = MakeFunds();
    return funds;
}

Control::hostctl::PickerSearch MakeSearch() {
    std::vector<std::vector<std::wstring>> texts;
    for (const FundText& f : Funds())
        texts.push_back({f.pycode, f.alias, f.name});
    Control::hostctl::PickerSearch search;
    search.Assign(std::move(texts));
    return search;
}

// What people type: initials, codes, names, and text that finds nothing.
const wchar_t* const kQueries[] = {L"h",   L"hx",   L"hxcz", L"0",    L"000",
                                   L"519", L"华夏", L"成长", L"zzzz", L"hs300"};

void BM_SearchFresh(benchmark::State& state) {
    Control::hostctl::PickerSearch search = MakeSearch();
    std::size_t i = 0, found = 0;
    for (auto _ : state) {
        search.Find(L""); // forget the last text, so every search scans the whole list
        found += search.Find(kQueries[i++ % std::size(kQueries)]).size();
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * kFunds);
}
BENCHMARK(BM_SearchFresh)->Unit(benchmark::kMicrosecond);

// Typing "hxcz" and deleting it again, one keystroke per iteration.
void BM_SearchTyping(benchmark::State& state) {
    Control::hostctl::PickerSearch search = MakeSearch();
    const wchar_t* const steps[] = {L"h", L"hx", L"hxc", L"hxcz", L"hxc", L"hx", L"h", L""};
    std::size_t i = 0, found = 0;
    for (auto _ : state)
        found += search.Find(steps[i++ % std::size(steps)]).size();
    benchmark::DoNotOptimize(found);
}
BENCHMARK(BM_SearchTyping)->Unit(benchmark::kMicrosecond);

// One typed character through the picker window: the edit field, the search, the list's refresh
// and the new current row (painting comes later, in the message loop, and is not counted).
void BM_PickerKeystroke(benchmark::State& state) {
    PlatformStartHeadless(800, 600);
    XComPtr<Data::IDataTable> table;
    table.Attach(dynamic_cast<Data::IDataTable*>(createInstance("Data.DataTable")));
    for (const wchar_t* column : {L"code", L"aliascode", L"name", L"pycode"})
        table->AddColumn(Data::kText, column);
    for (const FundText& f : Funds()) {
        int r = table->AddRow();
        XComPtr<Data::IDataRow> row;
        table->GetRow(row.Receive(), r);
        row->GetValueAt(0)->SetText(f.code.c_str());
        row->GetValueAt(1)->SetText(f.alias.c_str());
        row->GetValueAt(2)->SetText(f.name.c_str());
        row->GetValueAt(3)->SetText(f.pycode.c_str());
    }
    Control::XWin top;
    top.Create(L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 400, nullptr);
    {
        Control::XComboEx picker;
        picker.Create(WS_CHILD | WS_VISIBLE, 10, 10, 220, 23, 1, top);
        picker.SetDataSource(table.Get());
        picker.SetDataField(L"code", L"aliascode", L"name", L"pycode");
        HWND edit = picker.GetEditWindow();
        SetFocus(edit);
        const wchar_t typed[] = {L'h', L'x', L'c', L'z', L'\b', L'\b', L'\b', L'\b'};
        std::size_t i = 0;
        for (auto _ : state)
            SendMessageW(edit, WM_CHAR, typed[i++ % std::size(typed)], 1);
        benchmark::DoNotOptimize(picker.GetCurrRow());
    }
}
BENCHMARK(BM_PickerKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
