#include "charset/CodePageTables.h"

#include "charset/HashConvert.h"
#include "charset/UnicodeLookup.h"
#include "charset/tables/EmbeddedTables.h"
#include "log/LogBase.h"

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>

namespace {

const uint32_t kSingleByteBucketsTo = 283;
const uint32_t kSingleByteBucketsFrom = 269;

const int kSingleBytePages[] = {
    37,    437,   500,   708,   720,   737,   775,   850,   852,   855,   857,   858,
    860,   861,   862,   863,   864,   865,   866,   869,   870,   874,   875,   1026,
    1047,  1140,  1141,  1142,  1143,  1144,  1145,  1146,  1147,  1148,  1149,  1250,
    1251,  1252,  1253,  1254,  1255,  1256,  1257,  1258,  10000, 10004, 10005, 10006,
    10007, 10010, 10017, 10021, 10029, 10079, 10081, 10082, 20105, 20106, 20107, 20108,
    20127, 20261, 20269, 20273, 20277, 20278, 20280, 20284, 20285, 20290, 20297, 20420,
    20423, 20424, 20838, 20866, 20871, 20880, 20905, 20924, 21025, 21866, 28591, 28592,
    28593, 28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605, 38598};
const int kSingleByteCount = sizeof(kSingleBytePages) / sizeof(kSingleBytePages[0]);

enum Family { ShiftJis, Gbk, UnifiedHangul, Big5, EucJp, EucKr, Johab, MacJapanese, FamilyCount };

struct FamilyInfo {
    const char *table;
    uint32_t bucketsTo;
    uint32_t bucketsFrom;
};

const FamilyInfo kFamilies[FamilyCount] = {
    {kShiftJisTable, 4919, 7669}, {kGbkTable, 7649, 7649},     {kUnifiedHangulTable, 7669, 7669},
    {kBig5Table, 7649, 7649},     {kEucJpTable, 4919, 4919},   {kEucKrTable, 7669, 7669},
    {kJohabTable, 7669, 7669},    {kShiftJisTable, 4919, 4919}};

int familyOf(int codePage) {
    switch (codePage) {
    case 932:
        return ShiftJis;
    case 936:
    case 51936:
        return Gbk;
    case 949:
        return UnifiedHangul;
    case 950:
        return Big5;
    case 51932:
        return EucJp;
    case 51949:
        return EucKr;
    case 1361:
        return Johab;
    case 10001:
        return MacJapanese;
    default:
        return -1;
    }
}

int singleByteIndex(int codePage) {
    int low = 0;
    int high = kSingleByteCount;
    while (low < high) {
        int middle = (low + high) / 2;
        if (kSingleBytePages[middle] < codePage)
            low = middle + 1;
        else
            high = middle;
    }
    return low < kSingleByteCount && kSingleBytePages[low] == codePage ? low : -1;
}

// Every pointer is published once, complete, and never freed. The constexpr
// constructor makes the slot arrays constant-initialised: no code runs for them when
// the module loads.
struct TableSlot {
    constexpr TableSlot()
        : single(nullptr), towards(nullptr), from(nullptr), flatTo(nullptr), flatFrom(nullptr) {}
    std::atomic<const UnicodeLookup *> single;
    std::atomic<const HashConvert *> towards;
    std::atomic<const HashConvert *> from;
    std::atomic<const FlatToUnicode *> flatTo;
    std::atomic<const FlatFromUnicode *> flatFrom;
};

TableSlot g_singleByteSlots[kSingleByteCount];
TableSlot g_familySlots[FamilyCount];

// Builds are rare, so one lock serves them all; readers only take it while their
// table is still missing. A flag rather than a mutex, so that nothing needs
// constructing or destroying with the module.
std::atomic<bool> g_building(false);

class BuildLock {
public:
    BuildLock() {
        while (g_building.exchange(true, std::memory_order_acquire))
            std::this_thread::yield();
    }
    ~BuildLock() { g_building.store(false, std::memory_order_release); }
    BuildLock(const BuildLock &) = delete;
    BuildLock &operator=(const BuildLock &) = delete;
};

template <class T> const T *published(const std::atomic<const T *> &slot) {
    return slot.load(std::memory_order_acquire);
}

template <class T> const T *publish(std::atomic<const T *> &slot, const T *table) {
    if (table) slot.store(table, std::memory_order_release);
    return table;
}

// The builders below run under BuildLock.

const UnicodeLookup *buildSingleByteToUnicode(const char *embedded) {
    HashConvert loaded;
    if (!loaded.initBuckets(kSingleByteBucketsTo)) return nullptr;
    LogNull log;
    loadTable(embedded, loaded, false, log);
    UnicodeLookup *lookup = new (std::nothrow) UnicodeLookup();
    if (!lookup) return nullptr;
    for (int b = 1; b < 256; ++b) {
        if (loaded.isAsciiCompatible() && b <= 0x7F) {
            lookup->setValue(static_cast<unsigned char>(b), static_cast<uint16_t>(b));
            continue;
        }
        unsigned char key = static_cast<unsigned char>(b);
        unsigned char value[4];
        int valueLength = 0;
        if (loaded.lookup(&key, 1, value, valueLength) && valueLength == 2)
            lookup->setValue(key, static_cast<uint16_t>(value[0] | value[1] << 8));
    }
    return lookup;
}

// A table that cannot be loaded is still kept, empty; only a lack of memory keeps
// the slot empty so that a later call tries again.
HashConvert *newLoadedTable(uint32_t buckets, const char *embedded, const char *diffs,
                            bool keyIsUnicode) {
    HashConvert *table = new (std::nothrow) HashConvert();
    if (!table) return nullptr;
    if (!table->initBuckets(buckets)) {
        delete table;
        return nullptr;
    }
    LogNull log;
    loadTable(embedded, *table, keyIsUnicode, log);
    if (diffs) loadTable(diffs, *table, keyIsUnicode, log);
    return table;
}

const HashConvert *familyFromUnicodeLocked(int family) {
    TableSlot &slot = g_familySlots[family];
    const HashConvert *table = slot.from.load(std::memory_order_relaxed);
    if (table) return table;
    const FamilyInfo &info = kFamilies[family];
    const char *diffs = family == MacJapanese ? kMacJapaneseDiffs : nullptr;
    return publish(slot.from, newLoadedTable(info.bucketsFrom, info.table, diffs, true));
}

const HashConvert *familyToUnicodeLocked(int family) {
    TableSlot &slot = g_familySlots[family];
    const HashConvert *table = slot.towards.load(std::memory_order_relaxed);
    if (table) return table;
    const FamilyInfo &info = kFamilies[family];
    if (family != MacJapanese)
        return publish(slot.towards, newLoadedTable(info.bucketsTo, info.table, nullptr, false));

    // x-mac-japanese decodes by the inverse of its table from Unicode.
    const HashConvert *from = familyFromUnicodeLocked(family);
    if (!from) return nullptr;
    HashConvert *inverted = new (std::nothrow) HashConvert();
    if (!inverted) return nullptr;
    if (!inverted->initBuckets(info.bucketsTo) || !from->invertInto(*inverted)) {
        delete inverted;
        return nullptr;
    }
    inverted->setAsciiCompatible(from->isAsciiCompatible());
    return publish(slot.towards, static_cast<const HashConvert *>(inverted));
}

const HashConvert *singleByteFromUnicodeLocked(int index) {
    TableSlot &slot = g_singleByteSlots[index];
    const HashConvert *table = slot.from.load(std::memory_order_relaxed);
    if (table) return table;
    const char *embedded = embeddedSingleByteTable(kSingleBytePages[index]);
    return publish(slot.from, newLoadedTable(kSingleByteBucketsFrom, embedded, nullptr, true));
}

const UnicodeLookup *singleByteToUnicodeLocked(int index) {
    TableSlot &slot = g_singleByteSlots[index];
    const UnicodeLookup *table = slot.single.load(std::memory_order_relaxed);
    if (table) return table;
    return publish(slot.single,
                   buildSingleByteToUnicode(embeddedSingleByteTable(kSingleBytePages[index])));
}

const HashConvert *fromUnicodeLocked(int codePage) {
    int index = singleByteIndex(codePage);
    if (index >= 0) return singleByteFromUnicodeLocked(index);
    int family = familyOf(codePage);
    return family >= 0 ? familyFromUnicodeLocked(family) : nullptr;
}

TableSlot *slotOf(int codePage) {
    int index = singleByteIndex(codePage);
    if (index >= 0) return &g_singleByteSlots[index];
    int family = familyOf(codePage);
    return family >= 0 ? &g_familySlots[family] : nullptr;
}

// Flat views: the first entry seen for a key, walking buckets in stored order, is the
// one lookup finds, since equal keys share a bucket.

struct FlatFromBuild {
    FlatFromUnicode *flat;
    uint8_t *seen;
};

bool addFromEntry(const unsigned char *key, int keyLength, const unsigned char *value,
                  int valueLength, void *context) {
    FlatFromBuild &build = *static_cast<FlatFromBuild *>(context);
    if (keyLength != 2) return true;
    uint16_t unit = static_cast<uint16_t>(key[0] | key[1] << 8);
    if (build.seen[unit]) return true;
    build.seen[unit] = 1;
    if (valueLength == 1) {
        build.flat->code[unit] = value[0];
        build.flat->length[unit] = 1;
    } else if (valueLength == 2) {
        build.flat->code[unit] = static_cast<uint16_t>(value[0] << 8 | value[1]);
        build.flat->length[unit] = 2;
    }
    return true;
}

struct FlatToBuild {
    FlatToUnicode *flat;
    uint8_t *seenSingle;
    uint8_t *seenPair;
};

bool addToEntry(const unsigned char *key, int keyLength, const unsigned char *value,
                int valueLength, void *context) {
    FlatToBuild &build = *static_cast<FlatToBuild *>(context);
    uint16_t unit = valueLength == 2 ? static_cast<uint16_t>(value[0] | value[1] << 8) : 0;
    if (keyLength == 1 && !build.seenSingle[key[0]]) {
        build.seenSingle[key[0]] = 1;
        build.flat->single[key[0]] = unit;
        build.flat->hasSingle[key[0]] = valueLength == 2;
    } else if (keyLength == 2) {
        uint16_t pair = static_cast<uint16_t>(key[0] << 8 | key[1]);
        if (!build.seenPair[pair]) {
            build.seenPair[pair] = 1;
            build.flat->pair[pair] = unit;
            build.flat->hasPair[pair] = valueLength == 2;
        }
    }
    return true;
}

const FlatFromUnicode *buildFlatFrom(const HashConvert &table) {
    FlatFromUnicode *flat = new (std::nothrow) FlatFromUnicode();
    uint8_t *seen = static_cast<uint8_t *>(std::calloc(65536, 1));
    if (!flat || !seen) {
        delete flat;
        std::free(seen);
        return nullptr;
    }
    FlatFromBuild build = {flat, seen};
    table.visitEntries(addFromEntry, &build);
    std::free(seen);
    return flat;
}

const FlatToUnicode *buildFlatTo(const HashConvert &table) {
    FlatToUnicode *flat = new (std::nothrow) FlatToUnicode();
    uint8_t *seen = static_cast<uint8_t *>(std::calloc(256 + 65536, 1));
    if (!flat || !seen) {
        delete flat;
        std::free(seen);
        return nullptr;
    }
    FlatToBuild build = {flat, seen, seen + 256};
    table.visitEntries(addToEntry, &build);
    std::free(seen);
    return flat;
}

} // namespace

namespace CodePageTables {

bool isSingleByte(int codePage) {
    return singleByteIndex(codePage) >= 0;
}

bool isMultiByte(int codePage) {
    return familyOf(codePage) >= 0;
}

void ensureTableToUnicode(int codePage) {
    if (isSingleByte(codePage))
        singleByteToUnicode(codePage);
    else
        multiByteToUnicode(codePage);
}

void ensureTableFromUnicode(int codePage) {
    fromUnicode(codePage);
}

const UnicodeLookup *singleByteToUnicode(int codePage) {
    int index = singleByteIndex(codePage);
    if (index < 0) return nullptr;
    const UnicodeLookup *table = published(g_singleByteSlots[index].single);
    if (table) return table;
    BuildLock guard;
    return singleByteToUnicodeLocked(index);
}

const HashConvert *multiByteToUnicode(int codePage) {
    int family = familyOf(codePage);
    if (family < 0) return nullptr;
    const HashConvert *table = published(g_familySlots[family].towards);
    if (table) return table;
    BuildLock guard;
    return familyToUnicodeLocked(family);
}

const HashConvert *fromUnicode(int codePage) {
    TableSlot *slot = slotOf(codePage);
    if (!slot) return nullptr;
    const HashConvert *table = published(slot->from);
    if (table) return table;
    BuildLock guard;
    return fromUnicodeLocked(codePage);
}

const FlatFromUnicode *flatFromUnicode(int codePage) {
    TableSlot *slot = slotOf(codePage);
    if (!slot) return nullptr;
    const FlatFromUnicode *flat = published(slot->flatFrom);
    if (flat) return flat;
    BuildLock guard;
    flat = slot->flatFrom.load(std::memory_order_relaxed);
    if (flat) return flat;
    const HashConvert *table = fromUnicodeLocked(codePage);
    return table ? publish(slot->flatFrom, buildFlatFrom(*table)) : nullptr;
}

const FlatToUnicode *flatToUnicode(int codePage) {
    int family = familyOf(codePage);
    if (family < 0) return nullptr;
    TableSlot &slot = g_familySlots[family];
    const FlatToUnicode *flat = published(slot.flatTo);
    if (flat) return flat;
    BuildLock guard;
    flat = slot.flatTo.load(std::memory_order_relaxed);
    if (flat) return flat;
    const HashConvert *table = familyToUnicodeLocked(family);
    return table ? publish(slot.flatTo, buildFlatTo(*table)) : nullptr;
}

} // namespace CodePageTables
