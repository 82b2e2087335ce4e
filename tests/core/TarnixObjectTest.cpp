#include "core/DataBuffer.h"
#include "core/StringBuffer.h"
#include "core/TarnixObject.h"

#include <gtest/gtest.h>

namespace {

// Drawn during static initialisation, before any test runs. No other translation
// unit of this test program constructs a TarnixObject statically, so this is the
// first number the counter gives out in the process.
const int64_t firstSerialInProcess = TarnixObject().getSerialNumber();

TEST(TarnixObjectTest, CounterStartsAt100) { EXPECT_EQ(100, firstSerialInProcess); }

TEST(TarnixObjectTest, ObjectsCreatedInARowHaveConsecutiveSerials) {
    TarnixObject a;
    TarnixObject b;
    StringBuffer c;
    DataBuffer d;
    StringBuffer e("text");
    EXPECT_EQ(a.getSerialNumber() + 1, b.getSerialNumber());
    EXPECT_EQ(b.getSerialNumber() + 1, c.getSerialNumber());
    EXPECT_EQ(c.getSerialNumber() + 1, d.getSerialNumber());
    EXPECT_EQ(d.getSerialNumber() + 1, e.getSerialNumber());
    EXPECT_GT(a.getSerialNumber(), firstSerialInProcess);
}

TEST(TarnixObjectTest, CopyDrawsANewSerial) {
    StringBuffer original("abc");
    StringBuffer copy(original);
    EXPECT_EQ(original.getSerialNumber() + 1, copy.getSerialNumber());
}

TEST(TarnixObjectTest, HeapObjectsDrawSerialsToo) {
    TarnixObject before;
    StringBuffer *heap = StringBuffer::createNewObject("x");
    ASSERT_NE(nullptr, heap);
    EXPECT_EQ(before.getSerialNumber() + 1, heap->getSerialNumber());
    TarnixObject *asBase = heap;
    delete asBase; // through the virtual destructor
}

} // namespace
