// RecordLog: what the modal parts of the platform (menus, message boxes, save dialogs) keep of
// their past for the driver's queries (platform/driver.h): the last kKept records and the count of
// all that were made. Only the headless screen keeps records; on a display nobody asks for them,
// and a person's session would otherwise grow with every menu.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace platform {

// True when the modal parts keep records: on the headless screen (Driver.cpp).
bool KeepsRecords();

template <class Record>
class RecordLog {
public:
    static constexpr size_t kKept = 100;

    void Add(Record record) {
        if (m_records.size() >= kKept)
            m_records.erase(m_records.begin());
        m_records.push_back(std::move(record));
        ++m_count;
    }
    // Forgets the records; the count goes on.
    void Clear() { m_records.clear(); }
    const std::vector<Record>& Records() const { return m_records; }
    size_t Count() const { return m_count; }

private:
    std::vector<Record> m_records; // oldest first
    size_t m_count = 0;
};

} // namespace platform
