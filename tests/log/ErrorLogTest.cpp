#include "log/ErrorLog.h"
#include "core/StringBuffer.h"
#include "log/LogEntry2.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string tagOf(const LogEntry2 *entry) {
    if (entry == nullptr) return "<no entry>";
    return entry->getTag() != nullptr ? entry->getTag()->getString() : "<null>";
}

std::string textOf(const LogEntry2 *entry) {
    if (entry == nullptr) return "<no entry>";
    return entry->getText() != nullptr ? entry->getText()->getString() : "<null>";
}

TEST(LogEntry2, EachKindCarriesItsOwnFields) {
    LogEntry2 *context = LogEntry2::createNewEntry(LogEntry2::typeContext, "FileOpen", nullptr);
    ASSERT_NE(nullptr, context);
    EXPECT_EQ('C', context->getEntryType());
    EXPECT_TRUE(context->isContext());
    EXPECT_TRUE(context->hasChildArray());
    EXPECT_EQ(0, context->numChildren());
    EXPECT_EQ("FileOpen", tagOf(context));
    EXPECT_EQ("<null>", textOf(context));

    LogEntry2 *data = LogEntry2::createNewEntry(LogEntry2::typeTagged, "size", "12");
    ASSERT_NE(nullptr, data);
    EXPECT_EQ('T', data->getEntryType());
    EXPECT_FALSE(data->isContext());
    EXPECT_FALSE(data->hasChildArray());
    EXPECT_EQ("size", tagOf(data));
    EXPECT_EQ("12", textOf(data));
    EXPECT_FALSE(data->appendChild(context)) << "a data entry took a child";

    EXPECT_TRUE(context->appendChild(data));
    EXPECT_EQ(1, context->numChildren());
    EXPECT_EQ(data, context->childAt(0));
    EXPECT_EQ(data, context->lastChild());
    EXPECT_EQ(nullptr, context->childAt(1));
    // The context owns data now; both go with it.
    delete context;
}

TEST(LogEntry2, StringsAreCopies) {
    char text[] = "before";
    LogEntry2 *entry = LogEntry2::createNewEntry(LogEntry2::typeError, nullptr, text);
    ASSERT_NE(nullptr, entry);
    text[0] = 'X';
    EXPECT_EQ("before", textOf(entry));
    EXPECT_EQ("<null>", tagOf(entry));
    EXPECT_EQ('E', entry->getEntryType());
    delete entry;
}

TEST(ErrorLog, FreshLogHoldsOnlyTheRoot) {
    ErrorLog log;
    const LogEntry2 *root = log.getRoot();
    ASSERT_NE(nullptr, root);
    EXPECT_EQ("TarnixLog", tagOf(root));
    EXPECT_EQ('C', root->getEntryType());
    EXPECT_EQ(0, root->numChildren());
    EXPECT_EQ(1, log.getStackDepth());
}

TEST(ErrorLog, EntriesGoUnderTheCurrentContext) {
    ErrorLog log;
    log.appendEntry(LogEntry2::typeInfo, nullptr, "top");
    log.enterContext("A");
    log.appendEntry(LogEntry2::typeError, nullptr, "inside");
    log.appendEntry(LogEntry2::typeTagged, "key", "value");
    EXPECT_EQ(2, log.getStackDepth());

    const LogEntry2 *root = log.getRoot();
    ASSERT_EQ(2, root->numChildren());
    EXPECT_EQ("top", textOf(root->childAt(0)));
    const LogEntry2 *a = root->childAt(1);
    EXPECT_EQ("A", tagOf(a));
    ASSERT_EQ(2, a->numChildren());
    EXPECT_EQ("inside", textOf(a->childAt(0)));
    EXPECT_EQ('E', a->childAt(0)->getEntryType());
    EXPECT_EQ("key", tagOf(a->childAt(1)));
    EXPECT_EQ("value", textOf(a->childAt(1)));
}

TEST(ErrorLog, EmptyNestedContextIsDroppedButTopLevelStays) {
    ErrorLog log;
    log.enterContext("A");
    log.enterContext("B");
    log.leaveContext();
    const LogEntry2 *a = log.getRoot()->childAt(0);
    EXPECT_EQ("A", tagOf(a));
    EXPECT_EQ(0, a->numChildren()) << "B survived as " << tagOf(a->childAt(0));
    log.leaveContext();
    EXPECT_EQ(1, log.getStackDepth());
    ASSERT_EQ(1, log.getRoot()->numChildren());
    EXPECT_EQ("A", tagOf(log.getRoot()->childAt(0)));
    EXPECT_EQ(0, log.getRoot()->childAt(0)->numChildren());
}

TEST(ErrorLog, ContextHoldingOnlyAnEmptyContextIsNotEmpty) {
    // C keeps no entries and is dropped; B then has no children either and goes too.
    ErrorLog log;
    log.enterContext("A");
    log.enterContext("B");
    log.enterContext("C");
    log.leaveContext();
    log.leaveContext();
    log.leaveContext();
    ASSERT_EQ(1, log.getRoot()->numChildren());
    EXPECT_EQ(0, log.getRoot()->childAt(0)->numChildren());
}

TEST(ErrorLog, OnlyTheLeftContextIsExamined) {
    // An empty context left earlier, then followed by an entry, is not the last child.
    ErrorLog log;
    log.enterContext("A");
    log.enterContext("B");
    log.appendEntry(LogEntry2::typeInfo, nullptr, "x");
    log.leaveContext();
    log.appendEntry(LogEntry2::typeInfo, nullptr, "after");
    log.leaveContext();
    const LogEntry2 *a = log.getRoot()->childAt(0);
    ASSERT_EQ(2, a->numChildren());
    EXPECT_EQ("B", tagOf(a->childAt(0)));
    EXPECT_EQ("after", textOf(a->childAt(1)));
}

TEST(ErrorLog, LeaveAtTheRootChangesNothing) {
    ErrorLog log;
    log.appendEntry(LogEntry2::typeInfo, nullptr, "x");
    log.leaveContext();
    log.leaveContext();
    EXPECT_EQ(1, log.getStackDepth());
    ASSERT_EQ(1, log.getRoot()->numChildren());
    log.appendEntry(LogEntry2::typeInfo, nullptr, "y");
    EXPECT_EQ(2, log.getRoot()->numChildren());
}

TEST(ErrorLog, ClearStartsANewRoot) {
    ErrorLog log;
    log.enterContext("A");
    log.enterContext("B");
    log.appendEntry(LogEntry2::typeInfo, nullptr, "x");
    log.clear();
    EXPECT_EQ(1, log.getStackDepth());
    const LogEntry2 *root = log.getRoot();
    ASSERT_NE(nullptr, root);
    EXPECT_EQ("TarnixLog", tagOf(root));
    EXPECT_EQ(0, root->numChildren());
    log.appendEntry(LogEntry2::typeInfo, nullptr, "fresh");
    ASSERT_EQ(1, log.getRoot()->numChildren());
    EXPECT_EQ("fresh", textOf(log.getRoot()->childAt(0)));
}

} // namespace
