#include "core/ExtPtrArray.h"
#include "core/TarnixCritSec.h"
#include "core/TarnixObject.h"
#include "core/TxQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace {

// An element that records its destruction in a shared log.
class Tracked : public TarnixObject {
public:
    Tracked(int id, std::vector<int> &deleted) : m_id(id), m_deleted(deleted) {}
    ~Tracked() override { m_deleted.push_back(m_id); }
    int id() const { return m_id; }

private:
    int m_id;
    std::vector<int> &m_deleted;
};

// ---------------------------------------------------------------------------------
// ExtPtrArray

TEST(ExtPtrArrayTest, NewArrayIsEmptyWithoutCells) {
    ExtPtrArray array;
    EXPECT_EQ(0, array.getSize());
    EXPECT_EQ(0, array.getCapacity());
    EXPECT_EQ(5, array.getGrowBy());
    EXPECT_FALSE(array.getOwnsObjects());
    EXPECT_EQ(nullptr, array.elementAt(0));
    EXPECT_EQ(nullptr, array.lastElement());
    EXPECT_EQ(nullptr, array.removeAt(0));
    EXPECT_EQ(nullptr, array.removeLast());
}

TEST(ExtPtrArrayTest, GrowsFiveTenTwentyCellsAndAdaptsGrowBy) {
    ExtPtrArray array;
    TarnixObject objects[41];
    struct Step {
        int appends;
        int capacity;
        int growBy;
    };
    // After the nth append: the first allocates 5 cells (growBy stays 5), the sixth
    // 10 (growBy 10), the eleventh 20, the twenty-first 40.
    const Step steps[] = {{1, 5, 5},    {5, 5, 5},    {6, 10, 10},  {10, 10, 10},
                          {11, 20, 20}, {20, 20, 20}, {21, 40, 40}, {41, 80, 80}};
    int done = 0;
    for (const Step &step : steps) {
        while (done < step.appends) {
            ASSERT_TRUE(array.appendPtr(&objects[done]));
            ++done;
        }
        EXPECT_EQ(step.appends, array.getSize()) << "after " << step.appends;
        EXPECT_EQ(step.capacity, array.getCapacity()) << "after " << step.appends;
        EXPECT_EQ(step.growBy, array.getGrowBy()) << "after " << step.appends;
    }
    for (int i = 0; i < 41; ++i) EXPECT_EQ(&objects[i], array.elementAt(i));
    array.removeAllNoDelete();
}

TEST(ExtPtrArrayTest, GrowByStopsAt100000Cells) {
    ExtPtrArray array;
    // 5 * 2^14 = 81920 cells, then 163840 (growBy capped at 100000), then 263840.
    for (int i = 0; i < 81920; ++i) ASSERT_TRUE(array.appendPtr(nullptr));
    EXPECT_EQ(81920, array.getCapacity());
    EXPECT_EQ(81920, array.getGrowBy());
    ASSERT_TRUE(array.appendPtr(nullptr));
    EXPECT_EQ(163840, array.getCapacity());
    EXPECT_EQ(100000, array.getGrowBy());
    while (array.getSize() < 163841) ASSERT_TRUE(array.appendPtr(nullptr));
    EXPECT_EQ(263840, array.getCapacity());
    EXPECT_EQ(100000, array.getGrowBy());
}

TEST(ExtPtrArrayTest, RemoveAtClosesTheGapInOrder) {
    ExtPtrArray array;
    TarnixObject a, b, c;
    array.appendPtr(&a);
    array.appendPtr(&b);
    array.appendPtr(&c);
    EXPECT_EQ(&a, array.removeAt(0));
    ASSERT_EQ(2, array.getSize());
    EXPECT_EQ(&b, array.elementAt(0));
    EXPECT_EQ(&c, array.elementAt(1));
    EXPECT_EQ(nullptr, array.elementAt(2));
    EXPECT_EQ(&c, array.lastElement());
}

TEST(ExtPtrArrayTest, IndexErrorsGiveNullAndChangeNothing) {
    ExtPtrArray array;
    TarnixObject a, b;
    array.appendPtr(&a);
    array.appendPtr(&b);
    EXPECT_EQ(nullptr, array.elementAt(-1));
    EXPECT_EQ(nullptr, array.elementAt(2));
    EXPECT_EQ(nullptr, array.removeAt(-1));
    EXPECT_EQ(nullptr, array.removeAt(2));
    EXPECT_EQ(2, array.getSize());
    EXPECT_EQ(&a, array.elementAt(0));
    EXPECT_EQ(&b, array.elementAt(1));
}

TEST(ExtPtrArrayTest, RemoveLastTakesFromTheEnd) {
    ExtPtrArray array;
    TarnixObject a, b;
    array.appendPtr(&a);
    array.appendPtr(&b);
    EXPECT_EQ(&b, array.removeLast());
    EXPECT_EQ(&a, array.removeLast());
    EXPECT_EQ(nullptr, array.removeLast());
    EXPECT_EQ(0, array.getSize());
    // The cells stay; appending again reuses them.
    EXPECT_EQ(5, array.getCapacity());
    EXPECT_TRUE(array.appendPtr(&b));
    EXPECT_EQ(&b, array.elementAt(0));
}

TEST(ExtPtrArrayTest, RemoveAllNoDeleteDeletesNothing) {
    std::vector<int> deleted;
    Tracked a(1, deleted), b(2, deleted);
    {
        ExtPtrArray array;
        array.setOwnsObjects(false);
        array.appendPtr(&a);
        array.appendPtr(&b);
        array.removeAllNoDelete();
        EXPECT_EQ(0, array.getSize());
        EXPECT_EQ(nullptr, array.elementAt(0));
    }
    EXPECT_TRUE(deleted.empty());
}

TEST(ExtPtrArrayTest, RemoveAllObjectsDeletesInCellOrderSkippingNulls) {
    std::vector<int> deleted;
    ExtPtrArray array;
    array.appendPtr(new Tracked(1, deleted));
    array.appendPtr(nullptr);
    array.appendPtr(new Tracked(2, deleted));
    array.appendPtr(new Tracked(3, deleted));
    array.removeAllObjects();
    EXPECT_EQ((std::vector<int>{1, 2, 3}), deleted);
    EXPECT_EQ(0, array.getSize());
    EXPECT_EQ(nullptr, array.elementAt(0));
}

TEST(ExtPtrArrayTest, DestructorDeletesOnlyWhenOwning) {
    std::vector<int> deleted;
    Tracked kept(9, deleted);
    {
        ExtPtrArray notOwning;
        notOwning.appendPtr(&kept);
    }
    EXPECT_TRUE(deleted.empty());
    {
        ExtPtrArray owning;
        owning.setOwnsObjects(true);
        owning.appendPtr(new Tracked(4, deleted));
        owning.appendPtr(new Tracked(5, deleted));
    }
    EXPECT_EQ((std::vector<int>{4, 5}), deleted);
}

TEST(ExtPtrArrayTest, CreateNewArrayGivesAnEmptyHeapArray) {
    ExtPtrArray *array = ExtPtrArray::createNewArray();
    ASSERT_NE(nullptr, array);
    EXPECT_EQ(0, array->getSize());
    EXPECT_EQ(5, array->getGrowBy());
    delete array;
}

// ---------------------------------------------------------------------------------
// _txQueue

TEST(TxQueueTest, PopOnEmptyQueueGivesNull) {
    _txQueue queue;
    EXPECT_FALSE(queue.hasObjects());
    EXPECT_EQ(nullptr, queue.pop());
    queue.discardFirst(); // harmless when empty
    EXPECT_EQ(nullptr, queue.head());
    EXPECT_EQ(nullptr, queue.tail());
}

TEST(TxQueueTest, FirstInFirstOut) {
    int a = 1, b = 2;
    _txQueue queue;
    queue.push(&a);
    EXPECT_EQ(queue.head(), queue.tail());
    queue.push(&b);
    EXPECT_TRUE(queue.hasObjects());
    EXPECT_NE(queue.head(), queue.tail());
    EXPECT_EQ(&a, queue.head()->m_value);
    EXPECT_EQ(&b, queue.tail()->m_value);
    EXPECT_EQ(&a, queue.pop());
    EXPECT_EQ(queue.head(), queue.tail());
    EXPECT_EQ(&b, queue.pop());
    EXPECT_FALSE(queue.hasObjects());
    EXPECT_EQ(nullptr, queue.head());
    EXPECT_EQ(nullptr, queue.tail());
    EXPECT_EQ(nullptr, queue.pop());
}

TEST(TxQueueTest, PushAfterDrainingStartsAfresh) {
    int a = 1, b = 2, c = 3;
    _txQueue queue;
    queue.push(&a);
    EXPECT_EQ(&a, queue.pop());
    queue.push(&b);
    queue.push(&c);
    queue.discardFirst();
    EXPECT_EQ(&c, queue.pop());
    EXPECT_EQ(nullptr, queue.tail());
}

TEST(TxQueueTest, DestructorFreesElementsNotValues) {
    // The values are stack addresses: freeing them would be caught by the sanitizers.
    int values[3] = {1, 2, 3};
    _txQueue *queue = new _txQueue();
    for (int &v : values) queue->push(&v);
    delete queue;
    EXPECT_EQ(1, values[0]);
}

TEST(TxQueueTest, NullValuesAreCarriedToo) {
    _txQueue queue;
    queue.push(nullptr);
    EXPECT_TRUE(queue.hasObjects());
    EXPECT_EQ(nullptr, queue.pop());
    EXPECT_FALSE(queue.hasObjects());
}

// ---------------------------------------------------------------------------------
// TarnixCritSec

TEST(TarnixCritSecTest, SameThreadMayEnterAgain) {
    TarnixCritSec section;
    section.enterCriticalSection();
    section.enterCriticalSection();
    {
        CritSecLock lock(section);
    }
    section.leaveCriticalSection();
    section.leaveCriticalSection();
}

TEST(TarnixCritSecTest, OtherThreadWaitsUntilEveryEntryIsLeft) {
    TarnixCritSec section;
    std::atomic<bool> started(false);
    std::atomic<bool> inside(false);

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
    std::atomic<bool> holding(false);
    std::atomic<bool> released(false);
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
