// The host's filter interface records, declared in-house with fixed-width
// types and laid out as real 64-bit hosts lay them out. The filter record is
// packed to 4 bytes; every other record has natural alignment. The same
// declarations give the same offsets on Linux x86-64 and on 64-bit Windows.
#pragma once

#include <cstddef>
#include <cstdint>

using HostError = int16_t;     // host result code
using HostBoolean = uint8_t;   // only the low byte of a returned boolean is defined
using Fixed16 = int32_t;       // 16.16 fixed point
using FourCC = uint32_t;       // four-character code
using HostHandleRef = char**;  // pointer to a master pointer
using BufferId = uint64_t;     // opaque host buffer id, 0 means none

constexpr FourCC MakeFourCC(char a, char b, char c, char d) {
  return (uint32_t(uint8_t(a)) << 24) | (uint32_t(uint8_t(b)) << 16) | (uint32_t(uint8_t(c)) << 8) |
         uint32_t(uint8_t(d));
}

// Host result codes used across the system.
constexpr HostError kNoErr = 0;
constexpr HostError kMemFullErr = -108;
constexpr HostError kUserCanceledErr = -128;
constexpr HostError kFilterBadParameters = -30100;

// Selectors of PluginMain.
constexpr int16_t kSelectorAbout = 0;
constexpr int16_t kSelectorParameters = 1;
constexpr int16_t kSelectorPrepare = 2;
constexpr int16_t kSelectorStart = 3;
constexpr int16_t kSelectorContinue = 4;
constexpr int16_t kSelectorFinish = 5;

struct HostPoint {
  int16_t v;
  int16_t h;
};
static_assert(sizeof(HostPoint) == 4);

// The host's rectangle: top, left, bottom, right; right and bottom exclusive.
struct Rect {
  int16_t top;
  int16_t left;
  int16_t bottom;
  int16_t right;
};
static_assert(sizeof(Rect) == 8);
static_assert(offsetof(Rect, top) == 0 && offsetof(Rect, left) == 2 && offsetof(Rect, bottom) == 4 &&
              offsetof(Rect, right) == 6);

struct Rect32 {
  int32_t top;
  int32_t left;
  int32_t bottom;
  int32_t right;
};
static_assert(sizeof(Rect32) == 16);

// --- procedure types ----------------------------------------------------------
using AbortProc = HostBoolean (*)();
using ProgressProc = void (*)(int32_t done, int32_t total);
using HostProc = void (*)(int16_t selector, intptr_t* data);
using ProcessEventProc = void (*)(void* event);
using AdvanceStateProc = HostError (*)();
using ColorServicesProc = HostError (*)(void* info);

using AllocateBufferProc = HostError (*)(int32_t size, BufferId* bufferId);
using LockBufferProc = void* (*)(BufferId bufferId, HostBoolean moveHigh);
using UnlockBufferProc = void (*)(BufferId bufferId);
using FreeBufferProc = void (*)(BufferId bufferId);
using BufferSpaceProc = int32_t (*)();

struct BufferProcs {
  int16_t bufferProcsVersion;
  int16_t numBufferProcs;
  AllocateBufferProc allocateProc;
  LockBufferProc lockProc;
  UnlockBufferProc unlockProc;
  FreeBufferProc freeProc;
  BufferSpaceProc spaceProc;
};
static_assert(sizeof(BufferProcs) == 48);
static_assert(offsetof(BufferProcs, numBufferProcs) == 2);
static_assert(offsetof(BufferProcs, allocateProc) == 8);
static_assert(offsetof(BufferProcs, lockProc) == 16);
static_assert(offsetof(BufferProcs, unlockProc) == 24);
static_assert(offsetof(BufferProcs, freeProc) == 32);
static_assert(offsetof(BufferProcs, spaceProc) == 40);

using NewHandleProc = HostHandleRef (*)(int32_t size);
using DisposeHandleProc = void (*)(HostHandleRef h);
using GetHandleSizeProc = int32_t (*)(HostHandleRef h);
using SetHandleSizeProc = HostError (*)(HostHandleRef h, int32_t newSize);
using LockHandleProc = char* (*)(HostHandleRef h, HostBoolean moveHigh);
using UnlockHandleProc = void (*)(HostHandleRef h);
using RecoverSpaceProc = void (*)(int32_t size);
using DisposeRegularHandleProc = void (*)(HostHandleRef h);

struct HandleProcs {
  int16_t handleProcsVersion;
  int16_t numHandleProcs;
  NewHandleProc newProc;
  DisposeHandleProc disposeProc;
  GetHandleSizeProc getSizeProc;
  SetHandleSizeProc setSizeProc;
  LockHandleProc lockProc;
  UnlockHandleProc unlockProc;
  RecoverSpaceProc recoverSpaceProc;
  DisposeRegularHandleProc disposeRegularHandleProc;
};
static_assert(sizeof(HandleProcs) == 72);
static_assert(offsetof(HandleProcs, newProc) == 8);
static_assert(offsetof(HandleProcs, disposeProc) == 16);
static_assert(offsetof(HandleProcs, getSizeProc) == 24);
static_assert(offsetof(HandleProcs, setSizeProc) == 32);
static_assert(offsetof(HandleProcs, lockProc) == 40);
static_assert(offsetof(HandleProcs, unlockProc) == 48);
static_assert(offsetof(HandleProcs, recoverSpaceProc) == 56);
static_assert(offsetof(HandleProcs, disposeRegularHandleProc) == 64);

// --- scripting descriptor -----------------------------------------------------
using DescriptorToken = void*;  // PIReadDescriptor / PIWriteDescriptor
using DescriptorKeyId = FourCC;
using DescriptorTypeId = FourCC;
using DescriptorUnitId = FourCC;
using DescriptorEnumId = FourCC;
using DescriptorClassId = FourCC;
using DescriptorEnumTypeId = FourCC;
using PascalString = unsigned char*;  // length byte, then up to 255 bytes

using OpenReadDescriptorProc = DescriptorToken (*)(HostHandleRef descriptor, DescriptorKeyId* keyArray);
using CloseReadDescriptorProc = HostError (*)(DescriptorToken token);
using GetKeyProc = HostBoolean (*)(DescriptorToken token, DescriptorKeyId* key, DescriptorTypeId* type,
                                   int32_t* flags);
using GetIntegerProc = HostError (*)(DescriptorToken token, int32_t* value);
using GetFloatProc = HostError (*)(DescriptorToken token, double* value);
using GetUnitFloatProc = HostError (*)(DescriptorToken token, DescriptorUnitId* unit, double* value);
using GetBooleanProc = HostError (*)(DescriptorToken token, HostBoolean* value);
using GetTextProc = HostError (*)(DescriptorToken token, HostHandleRef* value);
using GetAliasProc = HostError (*)(DescriptorToken token, HostHandleRef* value);
using GetEnumeratedProc = HostError (*)(DescriptorToken token, DescriptorEnumId* value);
using GetClassProc = HostError (*)(DescriptorToken token, DescriptorClassId* value);
using GetSimpleReferenceProc = HostError (*)(DescriptorToken token, void* reference);
using GetObjectProc = HostError (*)(DescriptorToken token, DescriptorClassId* type, HostHandleRef* value);
using GetCountProc = HostError (*)(DescriptorToken token, uint32_t* value);
using GetStringProc = HostError (*)(DescriptorToken token, PascalString value);
using GetPinnedIntegerProc = HostError (*)(DescriptorToken token, int32_t min, int32_t max, int32_t* value);
using GetPinnedFloatProc = HostError (*)(DescriptorToken token, const double* min, const double* max,
                                         double* value);
using GetPinnedUnitFloatProc = HostError (*)(DescriptorToken token, const double* min, const double* max,
                                             DescriptorUnitId* unit, double* value);

struct ReadDescriptorProcs {
  int16_t readDescriptorProcsVersion;
  int16_t numReadDescriptorProcs;
  OpenReadDescriptorProc openReadDescriptorProc;
  CloseReadDescriptorProc closeReadDescriptorProc;
  GetKeyProc getKeyProc;
  GetIntegerProc getIntegerProc;
  GetFloatProc getFloatProc;
  GetUnitFloatProc getUnitFloatProc;
  GetBooleanProc getBooleanProc;
  GetTextProc getTextProc;
  GetAliasProc getAliasProc;
  GetEnumeratedProc getEnumeratedProc;
  GetClassProc getClassProc;
  GetSimpleReferenceProc getSimpleReferenceProc;
  GetObjectProc getObjectProc;
  GetCountProc getCountProc;
  GetStringProc getStringProc;
  GetPinnedIntegerProc getPinnedIntegerProc;
  GetPinnedFloatProc getPinnedFloatProc;
  GetPinnedUnitFloatProc getPinnedUnitFloatProc;
};
static_assert(offsetof(ReadDescriptorProcs, openReadDescriptorProc) == 8);
static_assert(offsetof(ReadDescriptorProcs, getPinnedUnitFloatProc) == 8 + 17 * 8);
static_assert(sizeof(ReadDescriptorProcs) == 8 + 18 * 8);

using OpenWriteDescriptorProc = DescriptorToken (*)();
using CloseWriteDescriptorProc = HostError (*)(DescriptorToken token, HostHandleRef* newDescriptor);
using PutIntegerProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, int32_t value);
using PutFloatProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, const double* value);
using PutUnitFloatProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, DescriptorUnitId unit,
                                       const double* value);
using PutBooleanProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, HostBoolean value);
using PutTextProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, HostHandleRef value);
using PutAliasProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, HostHandleRef value);
using PutEnumeratedProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type,
                                        DescriptorEnumId value);
using PutClassProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type);
using PutSimpleReferenceProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, const void* reference);
using PutObjectProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, DescriptorClassId type,
                                    HostHandleRef value);
using PutCountProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, uint32_t count);
using PutStringProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, const unsigned char* value);
using PutScopedClassProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, DescriptorTypeId type);
using PutScopedObjectProc = HostError (*)(DescriptorToken token, DescriptorKeyId key, DescriptorClassId type,
                                          HostHandleRef value);

struct WriteDescriptorProcs {
  int16_t writeDescriptorProcsVersion;
  int16_t numWriteDescriptorProcs;
  OpenWriteDescriptorProc openWriteDescriptorProc;
  CloseWriteDescriptorProc closeWriteDescriptorProc;
  PutIntegerProc putIntegerProc;
  PutFloatProc putFloatProc;
  PutUnitFloatProc putUnitFloatProc;
  PutBooleanProc putBooleanProc;
  PutTextProc putTextProc;
  PutAliasProc putAliasProc;
  PutEnumeratedProc putEnumeratedProc;
  PutClassProc putClassProc;
  PutSimpleReferenceProc putSimpleReferenceProc;
  PutObjectProc putObjectProc;
  PutCountProc putCountProc;
  PutStringProc putStringProc;
  PutScopedClassProc putScopedClassProc;
  PutScopedObjectProc putScopedObjectProc;
};
static_assert(offsetof(WriteDescriptorProcs, openWriteDescriptorProc) == 8);
static_assert(offsetof(WriteDescriptorProcs, putScopedObjectProc) == 8 + 15 * 8);
static_assert(sizeof(WriteDescriptorProcs) == 8 + 16 * 8);

struct PIDescriptorParameters {
  int16_t descriptorParametersVersion;
  int16_t playInfo;
  int16_t recordInfo;
  HostHandleRef descriptor;
  WriteDescriptorProcs* writeDescriptorProcs;
  ReadDescriptorProcs* readDescriptorProcs;
};
static_assert(sizeof(PIDescriptorParameters) == 32);
static_assert(offsetof(PIDescriptorParameters, playInfo) == 2);
static_assert(offsetof(PIDescriptorParameters, recordInfo) == 4);
static_assert(offsetof(PIDescriptorParameters, descriptor) == 8);
static_assert(offsetof(PIDescriptorParameters, writeDescriptorProcs) == 16);
static_assert(offsetof(PIDescriptorParameters, readDescriptorProcs) == 24);

// --- display ------------------------------------------------------------------
struct PlatformData {
  intptr_t hwnd;  // the host's main window, parent of our dialogs
};
static_assert(sizeof(PlatformData) == 8);

struct PSPixelMap {
  int32_t version;
  Rect32 bounds;
  int32_t imageMode;
  int32_t rowBytes;
  int32_t colBytes;
  int32_t planeBytes;
  void* baseAddr;
  void* mat;    // version 1 on
  void* masks;  // version 1 on
  int32_t maskPhaseRow;
  int32_t maskPhaseCol;
};
static_assert(offsetof(PSPixelMap, bounds) == 4);
static_assert(offsetof(PSPixelMap, imageMode) == 20);
static_assert(offsetof(PSPixelMap, rowBytes) == 24);
static_assert(offsetof(PSPixelMap, colBytes) == 28);
static_assert(offsetof(PSPixelMap, planeBytes) == 32);
static_assert(offsetof(PSPixelMap, baseAddr) == 40);
static_assert(offsetof(PSPixelMap, mat) == 48);
static_assert(offsetof(PSPixelMap, masks) == 56);
static_assert(offsetof(PSPixelMap, maskPhaseRow) == 64);
static_assert(offsetof(PSPixelMap, maskPhaseCol) == 68);
static_assert(sizeof(PSPixelMap) == 72);

using DisplayPixelsProc = HostError (*)(const PSPixelMap* source, const Rect32* srcRect, int32_t dstRow,
                                        int32_t dstCol, void* platformContext);

// Image modes of the filter record's imageMode.
constexpr int16_t kImageModeBitmap = 0;
constexpr int16_t kImageModeGrayScale = 1;
constexpr int16_t kImageModeIndexedColor = 2;
constexpr int16_t kImageModeRGBColor = 3;
constexpr int16_t kImageModeCMYKColor = 4;
constexpr int16_t kImageModeHSLColor = 5;
constexpr int16_t kImageModeHSBColor = 6;
constexpr int16_t kImageModeMultichannel = 7;
constexpr int16_t kImageModeDuotone = 8;
constexpr int16_t kImageModeLabColor = 9;
constexpr int16_t kImageModeGray16 = 10;
constexpr int16_t kImageModeRGB48 = 11;
constexpr int16_t kImageModeLab48 = 12;
constexpr int16_t kImageModeCMYK64 = 13;
constexpr int16_t kImageModeDeepMultichannel = 14;
constexpr int16_t kImageModeDuotone16 = 15;
constexpr int16_t kImageModeRGB96 = 16;
constexpr int16_t kImageModeGray32 = 17;

// --- the filter record ----------------------------------------------------------
#pragma pack(push, 4)
struct FilterRecord {
  int32_t serialNumber;
  AbortProc abortProc;
  ProgressProc progressProc;
  HostHandleRef parameters;
  HostPoint imageSize;
  int16_t planes;
  Rect filterRect;
  uint16_t background[3];
  uint16_t foreground[3];
  int32_t maxSpace;
  int32_t bufferSpace;
  Rect inRect;
  int16_t inLoPlane;
  int16_t inHiPlane;
  Rect outRect;
  int16_t outLoPlane;
  int16_t outHiPlane;
  void* inData;
  int32_t inRowBytes;
  void* outData;
  int32_t outRowBytes;
  HostBoolean isFloating;
  HostBoolean haveMask;
  HostBoolean autoMask;
  Rect maskRect;
  void* maskData;
  int32_t maskRowBytes;
  uint8_t backColor[4];
  uint8_t foreColor[4];
  FourCC hostSig;
  HostProc hostProc;
  int16_t imageMode;
  Fixed16 imageHRes;
  Fixed16 imageVRes;
  HostPoint floatCoord;
  HostPoint wholeSize;
  Fixed16 monitor[10];
  PlatformData* platformData;
  BufferProcs* bufferProcs;
  void* resourceProcs;
  ProcessEventProc processEvent;
  DisplayPixelsProc displayPixels;
  HandleProcs* handleProcs;
  HostBoolean supportsDummyChannels;
  HostBoolean supportsAlternateLayouts;
  int16_t wantLayout;
  int16_t filterCase;
  int16_t dummyPlaneValue;
  void* premiereHook;
  AdvanceStateProc advanceState;
  HostBoolean supportsAbsolute;
  HostBoolean wantsAbsolute;
  void* getPropertyObsolete;
  HostBoolean cannotUndo;
  HostBoolean supportsPadding;
  int16_t inputPadding;
  int16_t outputPadding;
  int16_t maskPadding;
  int8_t samplingSupport;
  int8_t reservedByte;
  Fixed16 inputRate;
  Fixed16 maskRate;
  ColorServicesProc colorServices;
  int16_t inLayerPlanes;
  int16_t inTransparencyMask;
  int16_t inLayerMasks;
  int16_t inInvertedLayerMasks;
  int16_t inNonLayerPlanes;
  int16_t outLayerPlanes;
  int16_t outTransparencyMask;
  int16_t outLayerMasks;
  int16_t outInvertedLayerMasks;
  int16_t outNonLayerPlanes;
  int16_t absLayerPlanes;
  int16_t absTransparencyMask;
  int16_t absLayerMasks;
  int16_t absInvertedLayerMasks;
  int16_t absNonLayerPlanes;
  int16_t inPreDummyPlanes;
  int16_t inPostDummyPlanes;
  int16_t outPreDummyPlanes;
  int16_t outPostDummyPlanes;
  int32_t inColumnBytes;
  int32_t inPlaneBytes;
  int32_t outColumnBytes;
  int32_t outPlaneBytes;
  void* imageServicesProcs;
  void* propertyProcs;
  int16_t inTileHeight;
  int16_t inTileWidth;
  HostPoint inTileOrigin;
  int16_t absTileHeight;
  int16_t absTileWidth;
  HostPoint absTileOrigin;
  int16_t outTileHeight;
  int16_t outTileWidth;
  HostPoint outTileOrigin;
  int16_t maskTileHeight;
  int16_t maskTileWidth;
  HostPoint maskTileOrigin;
  PIDescriptorParameters* descriptorParameters;
  unsigned char* errorString;  // Pascal string, 256 bytes
  void* channelPortProcs;
  void* documentInfo;
  void* sSPBasic;
  void* plugInRef;
  int32_t depth;
  HostHandleRef iCCprofileData;
  int32_t iCCprofileSize;
  int32_t canUseICCProfiles;
};
#pragma pack(pop)

#define ORBALIX_FR_OFFSET(field, off) static_assert(offsetof(FilterRecord, field) == (off), #field)
ORBALIX_FR_OFFSET(serialNumber, 0);
ORBALIX_FR_OFFSET(abortProc, 4);
ORBALIX_FR_OFFSET(progressProc, 12);
ORBALIX_FR_OFFSET(parameters, 20);
ORBALIX_FR_OFFSET(imageSize, 28);
ORBALIX_FR_OFFSET(planes, 32);
ORBALIX_FR_OFFSET(filterRect, 34);
ORBALIX_FR_OFFSET(background, 42);
ORBALIX_FR_OFFSET(foreground, 48);
ORBALIX_FR_OFFSET(maxSpace, 56);
ORBALIX_FR_OFFSET(bufferSpace, 60);
ORBALIX_FR_OFFSET(inRect, 64);
ORBALIX_FR_OFFSET(inLoPlane, 72);
ORBALIX_FR_OFFSET(inHiPlane, 74);
ORBALIX_FR_OFFSET(outRect, 76);
ORBALIX_FR_OFFSET(outLoPlane, 84);
ORBALIX_FR_OFFSET(outHiPlane, 86);
ORBALIX_FR_OFFSET(inData, 88);
ORBALIX_FR_OFFSET(inRowBytes, 96);
ORBALIX_FR_OFFSET(outData, 100);
ORBALIX_FR_OFFSET(outRowBytes, 108);
ORBALIX_FR_OFFSET(isFloating, 112);
ORBALIX_FR_OFFSET(haveMask, 113);
ORBALIX_FR_OFFSET(autoMask, 114);
ORBALIX_FR_OFFSET(maskRect, 116);
ORBALIX_FR_OFFSET(maskData, 124);
ORBALIX_FR_OFFSET(maskRowBytes, 132);
ORBALIX_FR_OFFSET(backColor, 136);
ORBALIX_FR_OFFSET(foreColor, 140);
ORBALIX_FR_OFFSET(hostSig, 144);
ORBALIX_FR_OFFSET(hostProc, 148);
ORBALIX_FR_OFFSET(imageMode, 156);
ORBALIX_FR_OFFSET(imageHRes, 160);
ORBALIX_FR_OFFSET(imageVRes, 164);
ORBALIX_FR_OFFSET(floatCoord, 168);
ORBALIX_FR_OFFSET(wholeSize, 172);
ORBALIX_FR_OFFSET(monitor, 176);
ORBALIX_FR_OFFSET(platformData, 216);
ORBALIX_FR_OFFSET(bufferProcs, 224);
ORBALIX_FR_OFFSET(resourceProcs, 232);
ORBALIX_FR_OFFSET(processEvent, 240);
ORBALIX_FR_OFFSET(displayPixels, 248);
ORBALIX_FR_OFFSET(handleProcs, 256);
ORBALIX_FR_OFFSET(supportsDummyChannels, 264);
ORBALIX_FR_OFFSET(supportsAlternateLayouts, 265);
ORBALIX_FR_OFFSET(wantLayout, 266);
ORBALIX_FR_OFFSET(filterCase, 268);
ORBALIX_FR_OFFSET(dummyPlaneValue, 270);
ORBALIX_FR_OFFSET(premiereHook, 272);
ORBALIX_FR_OFFSET(advanceState, 280);
ORBALIX_FR_OFFSET(supportsAbsolute, 288);
ORBALIX_FR_OFFSET(wantsAbsolute, 289);
ORBALIX_FR_OFFSET(getPropertyObsolete, 292);
ORBALIX_FR_OFFSET(cannotUndo, 300);
ORBALIX_FR_OFFSET(supportsPadding, 301);
ORBALIX_FR_OFFSET(inputPadding, 302);
ORBALIX_FR_OFFSET(outputPadding, 304);
ORBALIX_FR_OFFSET(maskPadding, 306);
ORBALIX_FR_OFFSET(samplingSupport, 308);
ORBALIX_FR_OFFSET(reservedByte, 309);
ORBALIX_FR_OFFSET(inputRate, 312);
ORBALIX_FR_OFFSET(maskRate, 316);
ORBALIX_FR_OFFSET(colorServices, 320);
ORBALIX_FR_OFFSET(inLayerPlanes, 328);
ORBALIX_FR_OFFSET(inTransparencyMask, 330);
ORBALIX_FR_OFFSET(inLayerMasks, 332);
ORBALIX_FR_OFFSET(inInvertedLayerMasks, 334);
ORBALIX_FR_OFFSET(inNonLayerPlanes, 336);
ORBALIX_FR_OFFSET(outLayerPlanes, 338);
ORBALIX_FR_OFFSET(outTransparencyMask, 340);
ORBALIX_FR_OFFSET(outLayerMasks, 342);
ORBALIX_FR_OFFSET(outInvertedLayerMasks, 344);
ORBALIX_FR_OFFSET(outNonLayerPlanes, 346);
ORBALIX_FR_OFFSET(absLayerPlanes, 348);
ORBALIX_FR_OFFSET(absTransparencyMask, 350);
ORBALIX_FR_OFFSET(absLayerMasks, 352);
ORBALIX_FR_OFFSET(absInvertedLayerMasks, 354);
ORBALIX_FR_OFFSET(absNonLayerPlanes, 356);
ORBALIX_FR_OFFSET(inPreDummyPlanes, 358);
ORBALIX_FR_OFFSET(inPostDummyPlanes, 360);
ORBALIX_FR_OFFSET(outPreDummyPlanes, 362);
ORBALIX_FR_OFFSET(outPostDummyPlanes, 364);
ORBALIX_FR_OFFSET(inColumnBytes, 368);
ORBALIX_FR_OFFSET(inPlaneBytes, 372);
ORBALIX_FR_OFFSET(outColumnBytes, 376);
ORBALIX_FR_OFFSET(outPlaneBytes, 380);
ORBALIX_FR_OFFSET(imageServicesProcs, 384);
ORBALIX_FR_OFFSET(propertyProcs, 392);
ORBALIX_FR_OFFSET(inTileHeight, 400);
ORBALIX_FR_OFFSET(inTileWidth, 402);
ORBALIX_FR_OFFSET(inTileOrigin, 404);
ORBALIX_FR_OFFSET(absTileHeight, 408);
ORBALIX_FR_OFFSET(absTileWidth, 410);
ORBALIX_FR_OFFSET(absTileOrigin, 412);
ORBALIX_FR_OFFSET(outTileHeight, 416);
ORBALIX_FR_OFFSET(outTileWidth, 418);
ORBALIX_FR_OFFSET(outTileOrigin, 420);
ORBALIX_FR_OFFSET(maskTileHeight, 424);
ORBALIX_FR_OFFSET(maskTileWidth, 426);
ORBALIX_FR_OFFSET(maskTileOrigin, 428);
ORBALIX_FR_OFFSET(descriptorParameters, 432);
ORBALIX_FR_OFFSET(errorString, 440);
ORBALIX_FR_OFFSET(channelPortProcs, 448);
ORBALIX_FR_OFFSET(documentInfo, 456);
ORBALIX_FR_OFFSET(sSPBasic, 464);
ORBALIX_FR_OFFSET(plugInRef, 472);
ORBALIX_FR_OFFSET(depth, 480);
ORBALIX_FR_OFFSET(iCCprofileData, 484);
ORBALIX_FR_OFFSET(iCCprofileSize, 492);
ORBALIX_FR_OFFSET(canUseICCProfiles, 496);
#undef ORBALIX_FR_OFFSET
static_assert(sizeof(FilterRecord) == 500);
