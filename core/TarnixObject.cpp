#include "core/TarnixObject.h"

#include <atomic>

namespace {

// Process-wide serial counter. The increment is deliberately unsynchronised, so two
// threads may draw the same number; the relaxed load and store (rather than a
// fetch_add) keep exactly that behaviour while avoiding a data race.
std::atomic<int64_t> serialCounter{100};

int64_t drawSerialNumber() {
    int64_t serial = serialCounter.load(std::memory_order_relaxed);
    serialCounter.store(serial + 1, std::memory_order_relaxed);
    return serial;
}

} // namespace

TarnixObject::TarnixObject() : m_serialNumber(drawSerialNumber()) {}

// A copy is a new construction: it draws its own number.
TarnixObject::TarnixObject(const TarnixObject &) : m_serialNumber(drawSerialNumber()) {}

TarnixObject::~TarnixObject() {}
