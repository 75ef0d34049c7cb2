// The binary interface: operation codes, handle and slot tables, the error
// frame and the call-back conventions.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>

#include "test_support.h"

namespace larch::test {
namespace {

DispatchRecord Record(uint32_t operation, uint32_t word0 = 0, uint32_t word4 = 0) {
  DispatchRecord r{};
  std::memset(&r, 0xCC, sizeof r);
  r.operation = operation;
  r.word0 = word0;
  r.word4 = word4;
  return r;
}

HostOptions Small(uint16_t handles, uint16_t slots = 8) {
  HostOptions o = HostEmulator::DefaultOptions();
  o.handleCapacity = handles;
  o.slotCapacity = slots;
  return o;
}

// Each test has a library of its own.
class Dispatch : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(Dispatch, AttachAndGetTableAnswerTheSame) {
  DispatchRecord attach = Record(0, Address(emu.handleTable()), Address(emu.slotTable()));
  attach.function = emu.callbackAddress();
  DispatchRecord get = Record(14);
  EXPECT_EQ(emu.dispatch(attach), 0);
  EXPECT_EQ(emu.dispatch(get), 0);
  EXPECT_EQ(attach.word4, 5000u);
  EXPECT_EQ(get.word4, 5000u);
  EXPECT_NE(get.word0, 0u);
  EXPECT_EQ(attach.word0, get.word0);
}

TEST_F(Dispatch, UnknownOperationsLeaveTheRecordUnchanged) {
  for (uint32_t op : {3u, 5u, 7u, 8u, 9u, 12u, 13u, 15u, 19u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(::testing::Message() << "operation " << op);
    DispatchRecord r = Record(op, 0x11111111, 0x22222222);
    DispatchRecord before = r;
    EXPECT_EQ(emu.dispatch(r), 0);
    EXPECT_EQ(std::memcmp(&r, &before, sizeof r), 0) << "operation " << op;
  }
}

TEST_F(Dispatch, TableHeaderAndRows) {
  DispatchRecord get = Record(14);
  emu.dispatch(get);
  auto* header = reinterpret_cast<FunctionTableHeader*>(static_cast<uintptr_t>(get.word0));
  EXPECT_EQ(header->next, 0u);
  ASSERT_EQ(header->rows, emu.rows().size());
  auto* first = reinterpret_cast<FunctionEntry*>(static_cast<uintptr_t>(header->firstEntry));
  EXPECT_STREQ(reinterpret_cast<const char*>(static_cast<uintptr_t>(first[0].name)), "ONLOAD");
  EXPECT_EQ(first[0].count, -2);
  EXPECT_EQ(first[1].count, -3);
  EXPECT_STREQ(reinterpret_cast<const char*>(static_cast<uintptr_t>(first[1].name)), "ONQUIT");
}

TEST(Handles, AllocTagsAddressesAndReusesFreedEntries) {
  HostEmulator emu(Small(16));
  uint32_t a = emu.allocBlock("", 7), b = emu.allocBlock("", 7), c = emu.allocBlock("", 7);
  EXPECT_EQ(a, 1u);
  EXPECT_EQ(b, 2u);
  EXPECT_EQ(c, 3u);
  emu.freeBlock(2);
  EXPECT_EQ(emu.handleTable()->hint, 2u);
  EXPECT_EQ(emu.allocBlock("", 7), 2u);

  DispatchRecord addr = Record(6, 3);
  emu.dispatch(addr);
  auto* data = reinterpret_cast<unsigned char*>(static_cast<uintptr_t>(addr.word0));
  ASSERT_NE(data, nullptr);
  HGLOBAL block = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(emu.handleTable()->entries[3]));
  auto* start = static_cast<unsigned char*>(LockGlobal(block).get().data);
  EXPECT_EQ(data, start + 2);
  EXPECT_EQ(data[-2] | (data[-1] << 8), 7);
  for (uint32_t h : {1u, 2u, 3u}) emu.freeBlock(h);
}

TEST(Handles, AllocatedBlocksAreZeroFilled) {
  HostEmulator emu(Small(8));
  DispatchRecord alloc = Record(2, 100, 0x10005);  // only the low 16 bits are the tag
  emu.dispatch(alloc);
  ASSERT_EQ(alloc.word0, 1u);
  DispatchRecord addr = Record(6, 1);
  emu.dispatch(addr);
  auto* data = reinterpret_cast<unsigned char*>(static_cast<uintptr_t>(addr.word0));
  EXPECT_EQ(data[-2], 5);
  EXPECT_EQ(data[-1], 0);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(data[i], 0) << i;
  emu.freeBlock(1);
}

TEST(Handles, HintAtCapacityGivesZeroEvenWithALowerFreeEntry) {
  HostEmulator emu(Small(4));
  for (uint32_t expected : {1u, 2u, 3u}) EXPECT_EQ(emu.allocBlock("", 1), expected);
  EXPECT_EQ(emu.allocBlock("", 1), 0u);
  EXPECT_EQ(emu.handleTable()->hint, 4u);
  // The host empties entry 1 behind the library's back: the hint stays.
  HandleTable* t = emu.handleTable();
  GlobalFree(reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(t->entries[1])));
  t->entries[1] = 0;
  EXPECT_EQ(emu.allocBlock("", 1), 0u);
  emu.freeBlock(2);
  emu.freeBlock(3);
}

TEST(Handles, InvalidHandlesAreIgnored) {
  HostEmulator emu(Small(4));
  for (uint32_t h : {0u, 2u, 4u, 5000u}) {
    DispatchRecord addr = Record(6, h);
    emu.dispatch(addr);
    EXPECT_EQ(addr.word0, 0u) << h;
    DispatchRecord f = Record(4, h);
    emu.dispatch(f);
  }
  EXPECT_EQ(emu.handleTable()->hint, 1u);
}

TEST(Slots, AddRemoveGet) {
  HostEmulator emu(Small(8, 4));
  SlotTable* t = emu.slotTable();
  t->entries[0] = 0xDEAD;  // entry 0 is never handed out or read
  auto add = [&](uint32_t v) {
    DispatchRecord r = Record(16, v);
    emu.dispatch(r);
    return r.word0;
  };
  auto get = [&](uint32_t i) {
    DispatchRecord r = Record(18, i);
    emu.dispatch(r);
    return r.word0;
  };
  EXPECT_EQ(add(100), 1u);
  EXPECT_EQ(add(200), 2u);
  EXPECT_EQ(add(300), 3u);
  EXPECT_EQ(add(400), 0u);  // full
  EXPECT_EQ(t->used, 3u);
  EXPECT_EQ(get(2), 200u);
  EXPECT_EQ(get(0), 0u);
  EXPECT_EQ(get(4), 0u);
  DispatchRecord remove = Record(17, 2);
  emu.dispatch(remove);
  EXPECT_EQ(t->used, 2u);
  EXPECT_EQ(get(2), 0u);
  EXPECT_EQ(t->hint, 2u);
  EXPECT_EQ(add(500), 2u);
  DispatchRecord removeFree = Record(17, 0);
  emu.dispatch(removeFree);
  EXPECT_EQ(t->used, 3u);
}

// A result block handed to the host is the host's to free, even when the
// host answers the result with an error.
void ReleaseHandedText(HostEmulator& emu, const ServiceRecord& r) {
  auto* v = reinterpret_cast<const HostValue*>(static_cast<uintptr_t>(r.arg1));
  if (v->type == 'H') emu.freeBlock(v->handle);
}

// Entry points of the test's own, called through operations 10 and 11.
uint32_t g_a, g_b;
void __cdecl PairCdecl(uint32_t a, uint32_t b) { g_a = a, g_b = b; }
void __stdcall PairStdcall(uint32_t a, uint32_t b) { g_a = a, g_b = b; }
void __fastcall PairFastcall(uint32_t a, uint32_t b) { g_a = a, g_b = b; }
uint32_t __stdcall ValueStdcall(uint32_t a, uint32_t b) { return a * 2 + (b != 0); }
uint32_t __fastcall ValueFastcall(uint32_t a, uint32_t b) { return a * 2 + (b != 0); }

TEST_F(Dispatch, CallPairAndCallValueServeEveryConvention) {
  for (const void* fn : {reinterpret_cast<const void*>(&PairCdecl), reinterpret_cast<const void*>(&PairStdcall),
                         reinterpret_cast<const void*>(&PairFastcall)}) {
    g_a = g_b = 0;
    DispatchRecord r = Record(10, 41, 42);
    r.function = Address(fn);
    emu.dispatch(r);
    EXPECT_EQ(g_a, 41u);
    EXPECT_EQ(g_b, 42u);
  }
  for (const void* fn : {reinterpret_cast<const void*>(&ValueStdcall), reinterpret_cast<const void*>(&ValueFastcall)}) {
    SCOPED_TRACE(fn == reinterpret_cast<const void*>(&ValueStdcall) ? "stdcall" : "fastcall");
    DispatchRecord r = Record(11, 20);
    r.function = Address(fn);
    emu.dispatch(r);
    EXPECT_EQ(r.word0, 41u);
  }
}

class CallbackConvention : public testing::TestWithParam<host::Convention> {};

TEST_P(CallbackConvention, ServicesWorkAndTheStackStaysBalanced) {
  HostOptions o = HostEmulator::DefaultOptions();
  o.convention = GetParam();
  HostEmulator emu(o);
  for (int i = 0; i < 1000; ++i) {
    SCOPED_TRACE(::testing::Message() << "call " << i + 1);
    CallResult r = emu.call("GetFllInfo", {Value::Int(2)});
    ASSERT_EQ(r.value.text, "1.3.0902");
  }
  EXPECT_EQ(emu.screenTag.text, "larch_tests.exe");
}

INSTANTIATE_TEST_SUITE_P(All, CallbackConvention,
                         testing::Values(host::Convention::Cdecl, host::Convention::Stdcall,
                                         host::Convention::Fastcall));

TEST(ErrorFrame, AMarkedServiceAbandonsTheFunction) {
  for (uint32_t mark : {83u, 84u}) {
    SCOPED_TRACE(::testing::Message() << "mark " << mark);
    HostOptions o = HostEmulator::DefaultOptions();
    o.runOnLoad = false;
    HostEmulator emu(o);
    emu.serviceHook = [&](ServiceRecord& r) {
      if (r.operation != 55) return false;
      r.operation = mark;
      return true;
    };
    CallResult r = emu.runHook("ONLOAD");
    EXPECT_EQ(emu.serviceLog, std::vector<uint32_t>({55})) << mark;  // the command never ran
    EXPECT_TRUE(emu.commands.empty());
    EXPECT_FALSE(r.sent());
  }
}

TEST(ErrorFrame, ARaisedErrorSuppressesTheResultAndLaterCallsWork) {
  HostEmulator emu;
  bool raise = true;
  emu.serviceHook = [&](ServiceRecord& r) {
    if (r.operation != 11 || !raise) return false;
    ReleaseHandedText(emu, r);
    r.operation = 83;  // the host rejects the result
    raise = false;
    return true;
  };
  CallResult first = emu.call("GetFllInfo", {Value::Int(2)});
  EXPECT_FALSE(first.sent());
  CallResult second = emu.call("GetFllInfo", {Value::Int(2)});
  EXPECT_EQ(second.value.text, "1.3.0902");
}

TEST(ErrorFrame, NestedCallReturnsToItsOwnFrame) {
  HostOptions o = HostEmulator::DefaultOptions();
  o.runOnLoad = false;
  HostEmulator emu(o);
  CallResult inner;
  int returnsSeen = 0;
  emu.serviceHook = [&](ServiceRecord& r) {
    if (r.operation == 11 && returnsSeen++ == 0) {
      ReleaseHandedText(emu, r);
      r.operation = 83;
      r.arg1 = 9;
      return true;
    }
    return false;
  };
  emu.commandHook = [&](const std::string&) {
    inner = emu.call("GetFllInfo", {Value::Int(2)});
    return true;
  };
  CallResult outer = emu.runHook("ONLOAD");
  EXPECT_FALSE(inner.sent());
  EXPECT_EQ(outer.error, 0);
  ASSERT_EQ(emu.commands.size(), 1u);
  EXPECT_EQ(emu.commands[0], "_screen.tag = \"larch_tests.exe\"");
  // The outer frame is intact: an error raised now still returns cleanly.
  EXPECT_EQ(emu.call("GetFllInfo", {Value::Int(2)}).value.text, "1.3.0902");
}

TEST(Results, LogicalIsOneAndTextBlocksCarryTagAndNul) {
  HostEmulator emu;
  HostValue seen{};
  std::string block;
  emu.serviceHook = [&](ServiceRecord& r) {
    if (r.operation != 11) return false;
    seen = *reinterpret_cast<HostValue*>(static_cast<uintptr_t>(r.arg1));
    if (seen.type == 'H') {
      HGLOBAL g = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(emu.handleTable()->entries[seen.handle]));
      if (UniqueGlobalLock lock = LockGlobal(g)) block.assign(static_cast<const char*>(lock.get().data), GlobalSize(g));
      emu.freeBlock(seen.handle);
    }
    return true;
  };
  emu.call("LangIsChinese");
  EXPECT_EQ(seen.type, 'L');
  EXPECT_EQ(seen.length, 1u);
  emu.call("GetFllInfo", {Value::Int(0)});
  EXPECT_EQ(seen.type, 'H');
  EXPECT_EQ(seen.width, 0);
  EXPECT_EQ(seen.length, 8u);
  EXPECT_EQ(Hex(block.substr(0, 2)), "10 00");
  EXPECT_EQ(block.substr(2), std::string("1.3.0902", 9));
  // An empty text still comes in a block: the tag and one NUL.
  emu.call("PSGetItem");
  EXPECT_EQ(seen.type, 'H');
  EXPECT_EQ(seen.length, 0u);
  EXPECT_EQ(Hex(block), "10 00 00");
  emu.call("GetDefaultFontSize");
  EXPECT_EQ(seen.type, 'I');
  EXPECT_EQ(seen.width, 2);
  EXPECT_EQ(seen.integer, 9);
}

}  // namespace
}  // namespace larch::test
