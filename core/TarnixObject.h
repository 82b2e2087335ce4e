#pragma once

#include <cstdint>

// Common base of the value types and log entries: a virtual destructor and a
// process-wide creation serial number.
class TarnixObject {
public:
    TarnixObject();
    TarnixObject(const TarnixObject &other);
    TarnixObject &operator=(const TarnixObject &) { return *this; }
    virtual ~TarnixObject();

    // The counter value this object drew at construction; the counter starts at 100.
    int64_t getSerialNumber() const { return m_serialNumber; }

private:
    int64_t m_serialNumber;
};
