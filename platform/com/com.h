// COM start-up and object creation over an in-process class table: a component registers a
// factory for its class identifier, and CoCreateInstance calls it.
#pragma once

#include "platform/com/types.h"

constexpr ULONG CLSCTX_INPROC_SERVER = 0x1;
constexpr ULONG CLSCTX_INPROC_HANDLER = 0x2;
constexpr ULONG CLSCTX_LOCAL_SERVER = 0x4;

constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);

// Makes a new object of the class and stores its `iid` interface (one reference, the caller's)
// in *object. On failure stores null and returns a negative HRESULT.
using ClassFactoryFunction = HRESULT (*)(REFIID iid, void** object);

// Enters COM on the calling thread: S_OK the first time, S_FALSE when it already had. Each call
// is matched by one CoUninitialize. `reserved` must be null.
HRESULT CoInitialize(void* reserved);
void CoUninitialize();

// Adds the class to the process's class table, replacing an earlier factory for it.
void CoRegisterClass(REFCLSID clsid, ClassFactoryFunction factory);
// Removes the class from the table (a class not there is ignored).
void CoUnregisterClass(REFCLSID clsid);

// On success stores a new object's `iid` interface in *object and returns S_OK. On failure
// stores null and returns CO_E_NOTINITIALIZED (no CoInitialize on this thread),
// CLASS_E_NOAGGREGATION (an outer object), E_INVALIDARG (no in-process or local context),
// REGDB_E_CLASSNOTREG (the class is not registered) or the factory's error.
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, ULONG context, REFIID iid, void** object);
