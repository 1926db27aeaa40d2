// The requests of the read-ahead.
#include "pages/common/AheadResult.h"

AheadRequest AheadRequest::Performance(const XStringW& year) {
    AheadRequest request;
    request.kind = AheadKind::kPerformance;
    request.year = year;
    return request;
}

AheadRequest AheadRequest::Risk() {
    AheadRequest request;
    request.kind = AheadKind::kRisk;
    return request;
}

AheadRequest AheadRequest::Histories(std::vector<XStringW> codes) {
    AheadRequest request;
    request.kind = AheadKind::kHistory;
    request.codes = std::move(codes);
    return request;
}

AheadRequest AheadRequest::Funds(const XStringW& sql) {
    AheadRequest request;
    request.kind = AheadKind::kFunds;
    request.sql = sql;
    return request;
}
