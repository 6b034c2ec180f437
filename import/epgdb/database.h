// The EPG database component: created with CoCreateInstance(CLSID_EPGDatabase, ...,
// IID_IEPGDatabase). One import is one transaction: Open begins it, Save commits it, and Close
// rolls back whatever was not saved.
#pragma once

#include "import/epgdb/collections.h"

struct IEPGDatabase : IUnknown {
  // Opens the database and begins the import's transaction. *opened is VARIANT_TRUE on success;
  // VARIANT_FALSE when the file cannot be opened, has a newer schema, or another import holds it.
  virtual HRESULT Open(VARIANT_BOOL* opened) = 0;
  // Writes what is pending, applies the services file and deletes programs no entry uses.
  virtual HRESULT PrepareSave(LONG* result) = 0;
  // Rolls back what was not saved and closes the database.
  virtual HRESULT Close(LONG* result) = 0;
  virtual HRESULT SetSourceDescription(BSTR text) = 0;
  virtual HRESULT GetChannelLineups(IChannelLineups** lineups) = 0;
  virtual HRESULT GetPrograms(IPrograms** programs) = 0;
  virtual HRESULT GetProviders(IProviders** providers) = 0;
  virtual HRESULT GetScheduleEntries(IScheduleEntries** entries) = 0;
  virtual HRESULT GetServices(IServices** services) = 0;
  virtual HRESULT GetTunables(ITunables** tunables) = 0;
  // On an instance not opened: answers VARIANT_TRUE and has the next Open of the same database
  // in this process delete every row first, inside its transaction. On an open instance the rows
  // are deleted at once, inside the transaction.
  virtual HRESULT Clean(VARIANT_BOOL* cleaned) = 0;
  // Names a file of channel ids, one per line, that orders the services at PrepareSave; empty
  // for none.
  virtual HRESULT SetServicesFile(BSTR path) = 0;
  // Commits the import. A negative result means nothing of it was stored.
  virtual HRESULT Save() = 0;
};

inline constexpr CLSID CLSID_EPGDatabase = {
    0xC3076531, 0x627A, 0x4BD8, {0xAB, 0x87, 0x6A, 0x28, 0xBC, 0xFB, 0xE7, 0x0F}};
inline constexpr IID IID_IEPGDatabase = {
    0x4BA1ECBD, 0xB2CF, 0x4F18, {0x9D, 0x64, 0xA6, 0x79, 0x09, 0x57, 0x21, 0xBE}};
