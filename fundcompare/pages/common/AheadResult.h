// The read-ahead as a page sees it. A page asks for one kind of data with an AheadRequest and gets
// an AheadResult back: read it yourself (nothing reads ahead), on its way (the page says "加载中"
// and is handed the result when it arrives, through ComparePage::OnReadAhead), or ready: the data
// of the kind, typed, taken out once, or the error of the statement that failed.
#pragma once

#include "wgui/Verify.h"

#include <sdk/XStringW.h>

#include <memory>
#include <utility>
#include <vector>

// What can be read ahead: the performance universe, the risk-return universe, the net-value
// histories of funds, and the fund list of the workspace's picker.
enum class AheadKind { kPerformance, kRisk, kHistory, kFunds };
inline constexpr int kAheadKindCount = 4;

struct AheadRequest {
    AheadKind kind = AheadKind::kPerformance;
    XStringW year;               // kPerformance: the latest year (four digits); empty lets the reader find it
    std::vector<XStringW> codes; // kHistory: the funds whose histories are wanted
    XStringW sql;                // kFunds: the statement of the list

    static AheadRequest Performance(const XStringW& year);
    static AheadRequest Risk();
    static AheadRequest Histories(std::vector<XStringW> codes);
    static AheadRequest Funds(const XStringW& sql);
};

class AheadResult {
public:
    enum class State {
        kReadHere, // nothing reads ahead: the asker reads for itself, as it always did
        kOnItsWay, // being read: the result follows when it arrives
        kReady,    // read: Ok() with the data, or the error of the statement
    };

    static AheadResult ReadHere(AheadKind kind) { return AheadResult(kind, State::kReadHere); }
    static AheadResult OnItsWay(AheadKind kind) { return AheadResult(kind, State::kOnItsWay); }
    // A finished reading: its data when it succeeded, else its error.
    template <class T>
    static AheadResult Ready(AheadKind kind, bool ok, XStringW error, T&& data) {
        AheadResult result(kind, State::kReady);
        result.m_ok = ok;
        result.m_error = std::move(error);
        if (ok)
            result.m_data = std::make_unique<Typed<std::decay_t<T>>>(std::forward<T>(data));
        return result;
    }

    AheadKind Kind() const { return m_kind; }
    State GetState() const { return m_state; }
    bool ReadHere() const { return m_state == State::kReadHere; }
    bool OnItsWay() const { return m_state == State::kOnItsWay; }
    bool Ok() const { return m_state == State::kReady && m_ok; }
    const XStringW& Error() const { return m_error; }

    // The data read, moved out: once, and only as the type the kind carries (a default value, and
    // a failed check, for anything else).
    template <class T>
    T Take() {
        auto* typed = dynamic_cast<Typed<T>*>(m_data.get());
        if (!FC_VERIFY(typed != nullptr))
            return T();
        T data = std::move(typed->data);
        m_data.reset();
        return data;
    }

private:
    struct Data {
        virtual ~Data() = default;
    };
    template <class T>
    struct Typed : Data {
        explicit Typed(T&& value) : data(std::move(value)) {}
        T data;
    };

    AheadResult(AheadKind kind, State state) : m_kind(kind), m_state(state) {}

    AheadKind m_kind;
    State m_state;
    bool m_ok = false;
    XStringW m_error;
    std::unique_ptr<Data> m_data;
};
