#pragma once
// The binary interface of 7-Zip's format modules (7zxa.dll / lib7zxa.so),
// declared here from 7-Zip's published interface ids and method orders.
//
// Windows: COM layout, __stdcall methods (matters on i686 only).
// Elsewhere: 7-Zip 23 and later use the plain Windows layout too (no virtual
// destructor in IUnknown) with the default calling convention; wide text is
// wchar_t and a BSTR is malloc'ed with a 32-bit byte length before it.

#include <cstdint>
#include <cstring>

#ifdef _WIN32
#define VYRN_7Z_CALL __stdcall
#else
#define VYRN_7Z_CALL
#endif

namespace vyrn::archive::abi {

using HResult = std::int32_t;
using PropId = std::uint32_t;

constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
constexpr HResult kNotImplemented = static_cast<HResult>(0x80004001u);
constexpr HResult kNoInterface = static_cast<HResult>(0x80004002u);
constexpr HResult kAbort = static_cast<HResult>(0x80004004u);
constexpr HResult kFail = static_cast<HResult>(0x80004005u);
constexpr HResult kInvalidArgument = static_cast<HResult>(0x80070057u);

struct Guid {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

inline bool operator==(const Guid& a, const Guid& b) { return std::memcmp(&a, &b, sizeof(Guid)) == 0; }

constexpr Guid kIidUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// 7-Zip's interfaces: {23170F69-40C1-278A-0000-00gg00ss0000}, g = group, s = sub id.
constexpr Guid sevenZipIid(std::uint8_t group, std::uint8_t sub) {
  return {0x23170F69, 0x40C1, 0x278A, {0, 0, 0, group, 0, sub, 0, 0}};
}
constexpr Guid kIidSequentialInStream = sevenZipIid(3, 0x01);
constexpr Guid kIidSequentialOutStream = sevenZipIid(3, 0x02);
constexpr Guid kIidInStream = sevenZipIid(3, 0x03);
constexpr Guid kIidProgress = sevenZipIid(0, 0x05);
constexpr Guid kIidArchiveOpenCallback = sevenZipIid(6, 0x10);
constexpr Guid kIidArchiveExtractCallback = sevenZipIid(6, 0x20);
constexpr Guid kIidInArchive = sevenZipIid(6, 0x60);

// Archive handler class: {23170F69-40C1-278A-1000-000110ff0000}, ff = format id.
constexpr Guid handlerClassId(std::uint8_t formatId) {
  return {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, formatId, 0x00, 0x00}};
}
constexpr std::uint8_t kFormat7z = 7;

// Item properties (PropID.h order).
constexpr PropId kpidPath = 3;
constexpr PropId kpidIsDir = 6;
constexpr PropId kpidSize = 7;

// Variant types used by the handler.
constexpr std::uint16_t kVtEmpty = 0;
constexpr std::uint16_t kVtBstr = 8;
constexpr std::uint16_t kVtBool = 11;
constexpr std::uint16_t kVtUi4 = 19;
constexpr std::uint16_t kVtUi8 = 21;

struct PropVariant {
  std::uint16_t vt = kVtEmpty;
  std::uint16_t reserved1 = 0;
  std::uint16_t reserved2 = 0;
  std::uint16_t reserved3 = 0;
  union {
    std::int16_t boolValue;  // VARIANT_BOOL: -1 true
    std::uint32_t ui4;
    std::uint64_t ui8;
    wchar_t* bstr;
    unsigned char raw[2 * sizeof(void*)];  // as wide as Windows' PROPVARIANT union
  };
  PropVariant() : raw{} {}
};

// Extract modes and operation results (IArchive.h).
constexpr std::int32_t kAskExtract = 0;
enum OperationResult : std::int32_t {
  kOpOk = 0,
  kOpUnsupportedMethod = 1,
  kOpDataError = 2,
  kOpCrcError = 3,
};

// Seek origins.
constexpr std::uint32_t kSeekSet = 0;
constexpr std::uint32_t kSeekCur = 1;
constexpr std::uint32_t kSeekEnd = 2;

struct IUnknown {
  virtual HResult VYRN_7Z_CALL QueryInterface(const Guid& iid, void** object) = 0;
  virtual std::uint32_t VYRN_7Z_CALL AddRef() = 0;
  virtual std::uint32_t VYRN_7Z_CALL Release() = 0;
};

struct ISequentialInStream : IUnknown {
  virtual HResult VYRN_7Z_CALL Read(void* data, std::uint32_t size, std::uint32_t* processedSize) = 0;
};

struct ISequentialOutStream : IUnknown {
  virtual HResult VYRN_7Z_CALL Write(const void* data, std::uint32_t size, std::uint32_t* processedSize) = 0;
};

struct IInStream : ISequentialInStream {
  virtual HResult VYRN_7Z_CALL Seek(std::int64_t offset, std::uint32_t origin, std::uint64_t* newPosition) = 0;
};

struct IProgress : IUnknown {
  virtual HResult VYRN_7Z_CALL SetTotal(std::uint64_t total) = 0;
  virtual HResult VYRN_7Z_CALL SetCompleted(const std::uint64_t* completed) = 0;
};

struct IArchiveOpenCallback : IUnknown {
  virtual HResult VYRN_7Z_CALL SetTotal(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
  virtual HResult VYRN_7Z_CALL SetCompleted(const std::uint64_t* files, const std::uint64_t* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
  virtual HResult VYRN_7Z_CALL GetStream(std::uint32_t index, ISequentialOutStream** stream, std::int32_t askMode) = 0;
  virtual HResult VYRN_7Z_CALL PrepareOperation(std::int32_t askMode) = 0;
  virtual HResult VYRN_7Z_CALL SetOperationResult(std::int32_t result) = 0;
};

struct IInArchive : IUnknown {
  virtual HResult VYRN_7Z_CALL Open(IInStream* stream, const std::uint64_t* maxCheckStartPosition,
                                    IArchiveOpenCallback* callback) = 0;
  virtual HResult VYRN_7Z_CALL Close() = 0;
  virtual HResult VYRN_7Z_CALL GetNumberOfItems(std::uint32_t* count) = 0;
  virtual HResult VYRN_7Z_CALL GetProperty(std::uint32_t index, PropId prop, PropVariant* value) = 0;
  virtual HResult VYRN_7Z_CALL Extract(const std::uint32_t* indices, std::uint32_t count, std::int32_t testMode,
                                       IArchiveExtractCallback* callback) = 0;
  virtual HResult VYRN_7Z_CALL GetArchiveProperty(PropId prop, PropVariant* value) = 0;
  virtual HResult VYRN_7Z_CALL GetNumberOfProperties(std::uint32_t* count) = 0;
  virtual HResult VYRN_7Z_CALL GetPropertyInfo(std::uint32_t index, wchar_t** name, PropId* prop,
                                               std::uint16_t* type) = 0;
  virtual HResult VYRN_7Z_CALL GetNumberOfArchiveProperties(std::uint32_t* count) = 0;
  virtual HResult VYRN_7Z_CALL GetArchivePropertyInfo(std::uint32_t index, wchar_t** name, PropId* prop,
                                                      std::uint16_t* type) = 0;
};

// The module's entry point "CreateObject".
using CreateObjectFunction = HResult(VYRN_7Z_CALL*)(const Guid* classId, const Guid* iid, void** object);

// Frees a variant the module filled in (its BSTR comes from the module's allocator).
void clearVariant(PropVariant& value);

}  // namespace vyrn::archive::abi
