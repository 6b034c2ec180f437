// The calling thread's COM error information.
#pragma once

#include "platform/com/types.h"

// Reads a description set with ICreateErrorInfo.
struct IErrorInfo : IUnknown {
  // Stores a new BSTR the caller frees.
  virtual HRESULT GetDescription(BSTR* description) = 0;
};

// Fills a new error-information object.
struct ICreateErrorInfo : IUnknown {
  virtual HRESULT SetDescription(LPCOLESTR description) = 0;
};

inline constexpr IID IID_IErrorInfo = {
    0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
inline constexpr IID IID_ICreateErrorInfo = {
    0x22F03340, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};

// On success stores a new object (one reference, the caller's) and returns S_OK.
HRESULT CreateErrorInfo(ICreateErrorInfo** info);

// Makes `info` (or nothing, for null) the calling thread's error information. `reserved` must be 0.
HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);

// Moves the thread's error information to *info (null when there is none): S_OK, or S_FALSE when
// there was none.
HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
