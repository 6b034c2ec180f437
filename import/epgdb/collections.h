// The collections of the EPG database component. Out items are new references the caller
// releases; an item that is not there comes back as null with S_FALSE.
#pragma once

#include "import/epgdb/items.h"

struct IProviders : IUnknown {
  // A new provider, written once it is finished.
  virtual HRESULT Create(IProvider** provider) = 0;
  // The provider of that name, or null.
  virtual HRESULT Lookup(BSTR name, IProvider** provider) = 0;
};

struct IPrograms : IUnknown {
  // A new program. It is stored only once a schedule entry uses it.
  virtual HRESULT Create(IProgram** program) = 0;
};

struct IServices : IUnknown {
  // The service of that channel id, or null. Find and Lookup are the same search.
  virtual HRESULT Find(BSTR channelId, IService** service) = 0;
  virtual HRESULT Lookup(BSTR channelId, IService** service) = 0;
  // The service of that channel id, created when there is none.
  virtual HRESULT Add(BSTR channelId, IService** service) = 0;
};

struct IScheduleEntries : IUnknown {
  // The entry stored under that slot key, or null.
  virtual HRESULT Find(BSTR slotKey, IScheduleEntry** entry) = 0;
  // The entry of that slot key: a new one, or the stored one emptied of the programs that were
  // added to it with AddProgram.
  virtual HRESULT Add(BSTR slotKey, IScheduleEntry** entry) = 0;
  // Deletes the entries that ended more than `days` days before now; 0 deletes every entry that
  // has ended, a negative count none.
  virtual HRESULT RemoveOlderThan(LONG days) = 0;
  // Deletes the other entries on the entry's service whose time range overlaps the entry's.
  virtual HRESULT Reconcile(IScheduleEntry* entry) = 0;
};

// Fetched and released only; they hold nothing.
struct ITunables : IUnknown {};
struct IChannelLineups : IUnknown {};

inline constexpr IID IID_IProviders = {
    0xFB266B33, 0xA3A3, 0x48FC, {0x90, 0x0D, 0x19, 0xDA, 0xEC, 0xFB, 0x64, 0x79}};
inline constexpr IID IID_IPrograms = {
    0x4255E7F2, 0xDA2F, 0x4939, {0x99, 0x18, 0xBF, 0x05, 0x04, 0x13, 0x49, 0x53}};
inline constexpr IID IID_IServices = {
    0x675C6205, 0x903C, 0x4D1E, {0x92, 0x33, 0x47, 0xDF, 0x54, 0x08, 0xEF, 0x18}};
inline constexpr IID IID_IScheduleEntries = {
    0xFDA5E6BA, 0x8D72, 0x451D, {0x82, 0xC2, 0x88, 0x57, 0xF5, 0x5C, 0xC5, 0xF1}};
inline constexpr IID IID_ITunables = {
    0x78EC4E7D, 0x2095, 0x448D, {0x97, 0x19, 0x96, 0x5A, 0xD9, 0x82, 0x37, 0x5B}};
inline constexpr IID IID_IChannelLineups = {
    0x9AEB3A6D, 0x5B85, 0x462B, {0x95, 0x46, 0x98, 0x9D, 0x7F, 0x1E, 0x73, 0xAB}};
