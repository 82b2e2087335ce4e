#include "core/DataBuffer.h"
#include "core/ExtPtrArray.h"
#include "core/StringBuffer.h"
#include "core/TarnixCritSec.h"
#include "core/TarnixObject.h"
#include "core/TxQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// Drawn during static initialisation, before any test runs. No other translation
// unit of this test program constructs a TarnixObject statically, so this is the
// first number the counter gives out in the process.
const int64_t firstSerialInProcess = TarnixObject().getSerialNumber();

TEST(TarnixObjectTest, CounterStartsAt100AndEveryConstructionDrawsTheNext) {
    EXPECT_EQ(100, firstSerialInProcess);
    TarnixObject a;
    DataBuffer b;
    StringBuffer c("text");
    StringBuffer copy(c); // a copy is a construction too
    StringBuffer *heap = StringBuffer::createNewObject("x");
    ASSERT_NE(nullptr, heap);
    const int64_t serials[] = {a.getSerialNumber(), b.getSerialNumber(), c.getSerialNumber(),
                               copy.getSerialNumber(), heap->getSerialNumber()};
    for (int i = 1; i < 5; ++i) EXPECT_EQ(serials[0] + i, serials[i]) << "object " << i;
    delete static_cast<TarnixObject *>(heap); // through the virtual destructor
}

// An element that records its destruction in a shared log.
struct Tracked : TarnixObject {
    Tracked(int id, std::vector<int> &log) : id(id), log(log) {}
    ~Tracked() override { log.push_back(id); }
    int id;
    std::vector<int> &log;
};

// ---------------------------------------------------------------------------------
// ExtPtrArray

TEST(ExtPtrArrayTest, GrowthDoublesUntilStepsOf100000Cells) {
    ExtPtrArray *array = ExtPtrArray::createNewArray();
    ASSERT_NE(nullptr, array);
    EXPECT_FALSE(array->getOwnsObjects());
    TarnixObject objects[41];
    // {appends done, capacity, growBy}: a full block grows only on the next append;
    // 5 * 2^14 = 81920 cells, then growBy stops at 100000.
    const int steps[][3] = {{0, 0, 5},         {1, 5, 5},          {5, 5, 5},
                            {6, 10, 10},       {10, 10, 10},       {11, 20, 20},
                            {21, 40, 40},      {41, 80, 80},       {81920, 81920, 81920},
                            {81921, 163840, 100000}, {163841, 263840, 100000}};
    int done = 0;
    for (const auto &step : steps) {
        for (; done < step[0]; ++done) ASSERT_TRUE(array->appendPtr(&objects[done % 41]));
        EXPECT_EQ(step[0], array->getSize());
        EXPECT_EQ(step[1], array->getCapacity()) << "after " << step[0];
        EXPECT_EQ(step[2], array->getGrowBy()) << "after " << step[0];
    }
    for (int i = 0; i < 41; ++i) EXPECT_EQ(&objects[i], array->elementAt(i));
    delete array; // not owning: the stack objects are left alone
}

TEST(ExtPtrArrayTest, RemovalKeepsOrderAndDeletionOnlyWhenAsked) {
    std::vector<int> deleted;
    Tracked a(1, deleted), b(2, deleted), c(3, deleted), d(4, deleted);
    {
        ExtPtrArray array;
        EXPECT_EQ(nullptr, array.removeLast()) << "no cells yet";
        for (Tracked *p : {&a, &b, &c, &d}) array.appendPtr(p);
        EXPECT_EQ(nullptr, array.elementAt(-1));
        EXPECT_EQ(nullptr, array.removeAt(-1));
        EXPECT_EQ(nullptr, array.removeAt(4));
        EXPECT_EQ(&b, array.removeAt(1));
        EXPECT_EQ(&d, array.removeLast());
        ASSERT_EQ(2, array.getSize());
        EXPECT_EQ(&a, array.elementAt(0));
        EXPECT_EQ(&c, array.lastElement());
        EXPECT_EQ(nullptr, array.elementAt(2)) << "the count shrank with the removals";
        array.removeAllNoDelete();
        EXPECT_EQ(nullptr, array.lastElement());
        EXPECT_EQ(5, array.getCapacity()) << "the cells stay for reuse";
        array.appendPtr(&a);
    }
    EXPECT_TRUE(deleted.empty()) << "not owning";
    {
        ExtPtrArray owning;
        for (int id : {5, 0, 6}) owning.appendPtr(id ? new Tracked(id, deleted) : nullptr);
        owning.removeAllObjects();
        EXPECT_EQ((std::vector<int>{5, 6}), deleted) << "in cell order, nulls skipped";
        EXPECT_EQ(0, owning.getSize());
        owning.setOwnsObjects(true);
        owning.appendPtr(new Tracked(7, deleted));
    }
    EXPECT_EQ((std::vector<int>{5, 6, 7}), deleted);
}

// ---------------------------------------------------------------------------------
// _txQueue

TEST(TxQueueTest, FirstInFirstOut) {
    int a = 1, b = 2, c = 3;
    _txQueue queue;
    EXPECT_EQ(nullptr, queue.pop());
    queue.discardFirst(); // harmless when empty
    queue.push(&a);
    EXPECT_EQ(queue.head(), queue.tail());
    queue.push(nullptr); // a null value is carried like any other
    queue.push(&b);
    EXPECT_EQ(&b, queue.tail()->m_value);
    EXPECT_EQ(&a, queue.pop());
    EXPECT_EQ(nullptr, queue.pop());
    EXPECT_TRUE(queue.hasObjects());
    EXPECT_EQ(&b, queue.pop());
    EXPECT_TRUE(!queue.hasObjects() && queue.tail() == nullptr);
    // A tail left on a freed element would be written to here (sanitizers).
    for (int *v : {&a, &b, &c}) queue.push(v);
    queue.discardFirst();
    EXPECT_EQ(&b, queue.pop());
    // The destructor frees the element left, not its value (a stack address).
}

// ---------------------------------------------------------------------------------
// TarnixCritSec

TEST(TarnixCritSecTest, OtherThreadWaitsUntilEveryEntryIsLeft) {
    TarnixCritSec section;
    std::atomic<bool> started(false), inside(false);

    // Entering twice on one thread would deadlock here if the lock were not recursive.
    section.enterCriticalSection();
    section.enterCriticalSection();
    std::thread other([&] {
        started = true;
        section.enterCriticalSection();
        inside = true;
        section.leaveCriticalSection();
    });
    while (!started) std::this_thread::yield();

    // However long we wait, the other thread cannot get in while we hold the section.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(inside);
    section.leaveCriticalSection();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(inside) << "one leave of two must not release the section";
    section.leaveCriticalSection();
    other.join();
    EXPECT_TRUE(inside);
}

TEST(TarnixCritSecTest, ScopedLockSerialisesThreads) {
    TarnixCritSec section;
    long counter = 0; // guarded by section only
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                CritSecLock lock(section);
                ++counter;
            }
        });
    }
    for (std::thread &thread : threads) thread.join();
    EXPECT_EQ(80000, counter);
}

TEST(TarnixCritSecTest, DestructorWaitsForTheHolder) {
    TarnixCritSec *section = new TarnixCritSec();
    std::atomic<bool> holding(false), released(false);
    std::thread other([&] {
        section->enterCriticalSection();
        holding = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        released = true;
        section->leaveCriticalSection();
    });
    while (!holding) std::this_thread::yield();
    // The destructor enters once before deleting, so it returns only after the
    // other thread has left.
    delete section;
    EXPECT_TRUE(released);
    other.join();
}

} // namespace
