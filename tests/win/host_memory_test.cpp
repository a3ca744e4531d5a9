// Host memory handles: the host's procs when usable, the global-memory fallback otherwise.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/host_memory.h"

namespace {

// A host whose procs count their calls and keep the blocks in plain memory.
struct FakeHost {
    int newCalls = 0, disposeCalls = 0, lockCalls = 0, unlockCalls = 0, sizeCalls = 0;
    Boolean lastMoveHigh = 2;
};
FakeHost fakeHost;

struct FakeHandle {
    char* data;
    int32 size;
};

Handle fakeNew(int32 size) {
    ++fakeHost.newCalls;
    FakeHandle* h = new FakeHandle{new char[size](), size};
    return reinterpret_cast<Handle>(h);
}
void fakeDispose(Handle h) {
    ++fakeHost.disposeCalls;
    FakeHandle* fake = reinterpret_cast<FakeHandle*>(h);
    delete[] fake->data;
    delete fake;
}
int32 fakeGetSize(Handle h) {
    ++fakeHost.sizeCalls;
    return reinterpret_cast<FakeHandle*>(h)->size;
}
OSErr fakeSetSize(Handle, int32) { return 0; }
Ptr fakeLock(Handle h, Boolean moveHigh) {
    ++fakeHost.lockCalls;
    fakeHost.lastMoveHigh = moveHigh;
    return reinterpret_cast<FakeHandle*>(h)->data;
}
void fakeUnlock(Handle) { ++fakeHost.unlockCalls; }

HandleProcs fullProcs() {
    HandleProcs procs = {};
    procs.handleProcsVersion = 1;
    procs.numHandleProcs = 8;
    procs.newProc = fakeNew;
    procs.disposeProc = fakeDispose;
    procs.getSizeProc = fakeGetSize;
    procs.setSizeProc = fakeSetSize;
    procs.lockProc = fakeLock;
    procs.unlockProc = fakeUnlock;
    return procs;
}

class HostMemory : public ::testing::Test {
protected:
    void SetUp() override {
        fakeHost = FakeHost{};
        procs = fullProcs();
        std::memset(&record, 0, sizeof record);
        record.handleProcs = &procs;
    }
    HandleProcs procs;
    FilterRecord record;
};

TEST_F(HostMemory, UsesTheHostsProcsWhenTheSetIsComplete) {
    ASSERT_TRUE(hostHandlesUsable(&record));
    Handle h = newHandle(&record, 300);
    ASSERT_NE(h, nullptr);
    Ptr p = lockHandle(&record, h, true);
    EXPECT_EQ(p, reinterpret_cast<FakeHandle*>(h)->data);
    EXPECT_EQ(fakeHost.lastMoveHigh, 1);
    EXPECT_EQ(handleSize(&record, h), 300);
    unlockHandle(&record, h);
    disposeHandle(&record, h);
    EXPECT_EQ(fakeHost.newCalls, 1);
    EXPECT_EQ(fakeHost.lockCalls, 1);
    EXPECT_EQ(fakeHost.unlockCalls, 1);
    EXPECT_EQ(fakeHost.disposeCalls, 1);
}

// Each way a host's set can fall short sends every operation to the fallback.
TEST_F(HostMemory, FallsBackWhenTheHostsSetIsNotUsable) {
    struct Case {
        const char* what;
        void (*spoil)(HandleProcs&);
    };
    const Case cases[] = {
        {"version 2", [](HandleProcs& p) { p.handleProcsVersion = 2; }},
        {"version 0", [](HandleProcs& p) { p.handleProcsVersion = 0; }},
        {"five procs", [](HandleProcs& p) { p.numHandleProcs = 5; }},
        {"negative count", [](HandleProcs& p) { p.numHandleProcs = -1; }},
        {"no newProc", [](HandleProcs& p) { p.newProc = nullptr; }},
        {"no disposeProc", [](HandleProcs& p) { p.disposeProc = nullptr; }},
        {"no getSizeProc", [](HandleProcs& p) { p.getSizeProc = nullptr; }},
        {"no setSizeProc", [](HandleProcs& p) { p.setSizeProc = nullptr; }},
        {"no lockProc", [](HandleProcs& p) { p.lockProc = nullptr; }},
        {"no unlockProc", [](HandleProcs& p) { p.unlockProc = nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakeHost = FakeHost{};
        procs = fullProcs();
        c.spoil(procs);
        EXPECT_FALSE(hostHandlesUsable(&record));
        Handle h = newHandle(&record, 300);
        ASSERT_NE(h, nullptr);
        ASSERT_NE(lockHandle(&record, h, false), nullptr);
        unlockHandle(&record, h);
        disposeHandle(&record, h);
        EXPECT_EQ(fakeHost.newCalls + fakeHost.lockCalls + fakeHost.unlockCalls +
                      fakeHost.disposeCalls + fakeHost.sizeCalls,
                  0);
    }
}

TEST_F(HostMemory, NoRecordOrNoProcsMeansFallback) {
    EXPECT_FALSE(hostHandlesUsable(nullptr));
    record.handleProcs = nullptr;
    EXPECT_FALSE(hostHandlesUsable(&record));
    Handle h = newHandle(nullptr, 16);
    ASSERT_NE(h, nullptr);
    disposeHandle(nullptr, h);
}

TEST_F(HostMemory, FallbackHandleLocksToZeroedBytesAtAStableAddress) {
    record.handleProcs = nullptr;
    Handle h = newHandle(&record, 300);
    ASSERT_NE(h, nullptr);
    Ptr first = lockHandle(&record, h, false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(std::vector<char>(first, first + 300), std::vector<char>(300, 0));
    EXPECT_EQ(lockHandle(&record, h, true), first);
    EXPECT_GE(handleSize(&record, h), 300);
    unlockHandle(&record, h);
    unlockHandle(&record, h);
    // The data block is fixed: after unlocking, the bytes stay where they were.
    std::memset(first, 0x5A, 300);
    EXPECT_EQ(lockHandle(&record, h, false), first);
    EXPECT_EQ(first[299], 0x5A);
    disposeHandle(&record, h);
}

// A host that reads a handle it did not make (to keep the parameters between
// runs) finds a movable block holding the address of the data.
TEST_F(HostMemory, FallbackHandleIsAMasterBlockHoldingTheDataAddress) {
    record.handleProcs = nullptr;
    Handle h = newHandle(&record, 300);
    HGLOBAL master = reinterpret_cast<HGLOBAL>(h);
    EXPECT_EQ(GlobalSize(master), sizeof(void*));
    void** slot = static_cast<void**>(GlobalLock(master));
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(*slot, lockHandle(&record, h, false));
    GlobalUnlock(master);
    EXPECT_EQ(GlobalFlags(master) & GMEM_LOCKCOUNT, 0u) << "the master block stays unlocked";
    disposeHandle(&record, h);
}

TEST_F(HostMemory, NullHandlesAreIgnoredInBothModes) {
    for (HandleProcs* p : {&procs, static_cast<HandleProcs*>(nullptr)}) {
        record.handleProcs = p;
        disposeHandle(&record, nullptr);
        unlockHandle(&record, nullptr);
        EXPECT_EQ(lockHandle(&record, nullptr, false), nullptr);
        EXPECT_EQ(handleSize(&record, nullptr), 0);
    }
    EXPECT_EQ(fakeHost.disposeCalls + fakeHost.unlockCalls + fakeHost.lockCalls, 0);
}

TEST_F(HostMemory, ALockedFallbackHandleCanBeDisposed) {
    record.handleProcs = nullptr;
    Handle h = newHandle(&record, 1 << 20);
    ASSERT_NE(lockHandle(&record, h, true), nullptr);
    disposeHandle(&record, h);
    EXPECT_EQ(GlobalSize(reinterpret_cast<HGLOBAL>(h)), 0u) << "the master block is freed";
}

TEST_F(HostMemory, ANegativeFallbackSizeGivesNull) {
    record.handleProcs = nullptr;
    EXPECT_EQ(newHandle(&record, -1), nullptr);
}

}  // namespace
