// The test host: plays the host application for a filter, with recorders and
// failure injection. The suite drives the plug-in with it, and the orbalix
// program uses it as its host on Linux.
//
// The host's callbacks are plain function pointers without a context, so one
// test host is current at a time (InitTestHost makes it current).
//
// Use:
//   TestDocument doc = MakeTestDocument(640, 320, 3, 8, false);
//   FillDocumentPattern(doc, 1);
//   TestHost host;
//   InitTestHost(&host, &doc, TestHostOptions{});
//   host.moveUnlockedHandles = true;             // optional stress modes
//   RunFilterSelectors(&host, PluginMain, {}, &report);
//   ... inspect doc, host.requests, host.progress, LiveBufferCount(&host) ...
//   ShutdownTestHost(&host);
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "host/host_records.h"
#include "platform/testhost/test_document.h"
#include "platform/testhost/test_host_descriptor.h"

// The entry point of a filter: PluginMain or a stand-in with the same shape.
using PluginEntryProc = void (*)(int16_t selector, FilterRecord* filterRecord, intptr_t* data, int16_t* result);

constexpr uint8_t kTestHostFillByte = 0xA5;   // new handle and buffer memory
constexpr uint8_t kTestHostFreedByte = 0xDD;  // memory given back or moved away
constexpr int16_t kPaddingReplicate = -1;     // replicate edge pixels
constexpr int16_t kPaddingNone = -2;          // leave pads undefined (filled with garbage)
constexpr int16_t kPaddingError = -3;         // a request past the image is an error

// One host handle: the handle is the address of `master`.
struct TestHandleEntry {
  char* master = nullptr;
  int32_t size = 0;
  int32_t lockCount = 0;
  bool disposed = false;
};

struct TestBufferEntry {
  BufferId id = 0;
  char* data = nullptr;
  int32_t size = 0;
  int32_t lockCount = 0;
  bool inArena = false;  // carved from the host's buffer arena
};

// The program's host keeps large buffers in chunks on huge pages (see
// test_host_memory.cpp); the chunks go when the host does.
struct TestBufferArena;
struct TestBufferArenaDeleter {
  void operator()(TestBufferArena* arena) const;
};

// One advanceState (or continue-phase delivery) as the filter asked for it.
struct TestRequest {
  Rect inRect{};
  Rect outRect{};
  Rect maskRect{};
  int16_t inLoPlane = 0, inHiPlane = 0, outLoPlane = 0, outHiPlane = 0;
  Fixed16 inputRate = 0;
  Fixed16 maskRate = 0;
  int16_t inputPadding = 0, outputPadding = 0, maskPadding = 0;
};

// One displayPixels call.
struct TestDisplayCall {
  Rect32 srcRect{};
  int32_t dstRow = 0, dstCol = 0;
  int32_t imageMode = 0, rowBytes = 0, colBytes = 0, planeBytes = 0;
  Rect32 bounds{};
  void* context = nullptr;
};

struct TestHostOptions {
  bool hasAdvanceState = true;
  bool hasDisplayPixels = true;
  int8_t samplingSupport = 1;  // integral sampling
  bool hasBufferProcs = true;
  bool hasHandleProcs = true;
  bool hasDescriptorParameters = true;
  FourCC hostSig = MakeFourCC('O', 'r', 'b', 'T');
  int32_t maxSpace = 1 << 30;
  int32_t bufferSpace = 1 << 30;  // what the buffer space proc answers
  int32_t extraRowBytes = 0;      // added to every row of delivered data
  // New handle, buffer and delivery memory is filled with kTestHostFillByte
  // and memory given back with kTestHostFreedByte, so that the suite sees a
  // filter read memory it never wrote. A host that only runs the filter (the
  // orbalix program) turns the marking off and keeps delivery buffers for
  // reuse.
  bool markMemory = true;
};

struct TestHost {
  TestHostOptions options;
  TestDocument* document = nullptr;

  FilterRecord record{};
  BufferProcs bufferProcs{};
  HandleProcs handleProcs{};
  ReadDescriptorProcs readProcs{};
  WriteDescriptorProcs writeProcs{};
  PIDescriptorParameters descriptorParameters{};
  PlatformData platformData{};
  unsigned char errorString[256]{};
  intptr_t data = 0;  // the filter's data word, kept between calls and runs

  // Handles.
  std::vector<std::unique_ptr<TestHandleEntry>> handles;
  bool moveUnlockedHandles = false;  // every unlocked block moves before each lock
  int32_t handleAllocations = 0;
  int32_t failHandleAllocationAt = 0;  // the nth new handle fails (0: never)
  int64_t handleLocks = 0, handleUnlocks = 0;
  int32_t handleMisuse = 0;  // unknown or disposed handles, unlocks without a lock

  // Buffers.
  std::vector<std::unique_ptr<TestBufferEntry>> buffers;  // live buffers
  std::unique_ptr<TestBufferArena, TestBufferArenaDeleter> bufferArena;
  BufferId nextBufferId = 0x1000;
  int32_t bufferAllocations = 0;
  int32_t failBufferAllocationAt = 0;  // the nth allocation fails (0: never)
  bool failBufferAllocationsAfter = false;  // ... and so does every one after it
  int32_t failBufferAllocationsAbove = 0;  // requests of more bytes than this fail (0: none)
  int32_t bufferLockCalls = 0;
  int32_t failBufferLockAt = 0;  // the nth lock answers null (0: never)
  int64_t bufferLocks = 0, bufferUnlocks = 0;
  int64_t liveBufferBytes = 0, peakBufferBytes = 0;
  int32_t peakLiveBuffers = 0;
  int32_t bufferMisuse = 0;

  // Recorders.
  std::vector<TestRequest> requests;
  // The selector being called (-1 between calls). Output written in the
  // start phase while the plug-in's dialog is open is its preview: it is
  // shown, never put into the document.
  int16_t runningSelector = -1;
  std::vector<std::pair<int32_t, int32_t>> progress;  // (done, total) of every progress call
  int32_t abortCalls = 0;
  int32_t abortAtCall = 0;  // the abort test answers yes from this call on (0: never)
  int32_t displayPixelsCalls = 0;
  std::vector<TestDisplayCall> displayCalls;
  // The pixels of the last displayPixels call: its source rectangle, row
  // after row, colBytes bytes a pixel (8-bit maps only; empty otherwise).
  std::vector<uint8_t> lastDisplayedPixels;
  int32_t colorServicesCalls = 0;
  int32_t advanceStateCalls = 0;
  int32_t requestErrors = 0;  // requests answered with an error

  // The data handed to the filter, valid until the next delivery or the end of the call.
  PixelBytes inBuffer, outBuffer, maskBuffer;
  bool outPending = false;
  bool outInDocument = false;  // outData points into the document: nothing to write back
  bool pendingOutIsPreview = false;  // delivered while the plug-in's dialog was open
  Rect pendingOutRect{};
  int16_t pendingOutLoPlane = 0, pendingOutHiPlane = 0;
  int32_t pendingOutRowBytes = 0;

  // Descriptors.
  std::vector<std::unique_ptr<TestDescriptorToken>> descriptorTokens;
};

void InitTestHost(TestHost* host, TestDocument* document, const TestHostOptions& options);
void ShutdownTestHost(TestHost* host);  // frees every handle and buffer still alive
void MakeTestHostCurrent(TestHost* host);
TestHost* CurrentTestHost();

// Runs the filter's selectors in host order: parameters (when asked), prepare,
// start, continue while the filter leaves a non-empty rectangle, finish (when
// asked). Stops at the first non-zero result and answers it.
struct TestRunOptions {
  bool withParameters = true;
  bool withFinish = true;
  int32_t maxContinueCalls = 1000000;
};
struct TestRunReport {
  std::vector<int16_t> selectors;  // in the order they were called
  std::vector<int16_t> results;
  int32_t continueCalls = 0;
};
HostError RunFilterSelectors(TestHost* host, PluginEntryProc entry, const TestRunOptions& runOptions,
                             TestRunReport* report);
// One selector call as the host makes it: delivers the current rectangles
// before a continue call, commits the out buffer afterwards and drops the data.
HostError CallFilterSelector(TestHost* host, PluginEntryProc entry, int16_t selector);

// The host's advanceState: commits the out buffer of the previous delivery and
// delivers the requested rectangles.
HostError TestHostAdvanceState();
void TestHostCommitOutput(TestHost* host);
void TestHostReleaseDelivery(TestHost* host);

// Handles and buffers (the callbacks work on the current host).
HostHandleRef TestHostNewHandle(int32_t size);
TestHandleEntry* FindTestHandle(TestHost* host, HostHandleRef handle);
int32_t LiveHandleCount(const TestHost* host);
int32_t LockedHandleCount(const TestHost* host);
void MoveUnlockedHandles(TestHost* host);
int32_t LiveBufferCount(const TestHost* host);
int32_t LockedBufferCount(const TestHost* host);
void InstallTestHostProcs(TestHost* host);

bool RectIsEmpty(const Rect& rect);
