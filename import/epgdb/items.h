// The items of the EPG database component: providers, services (channels), programs and
// schedule entries. Each is a COM object; setters only record values, and the component writes an
// item once it is finished. Texts are BSTRs the caller keeps; flags are 1 (yes) or 0 (no).
#pragma once

#include <cstdint>

#include "platform/com/types.h"

// Who supplied the listings.
struct IProvider : IUnknown {
  virtual HRESULT SetName(BSTR name) = 0;
  virtual HRESULT SetURL(BSTR url) = 0;
};

// A channel, known by its channel id.
struct IService : IUnknown {
  virtual HRESULT SetId(BSTR channelId) = 0;
  virtual HRESULT SetName(BSTR name) = 0;
  virtual HRESULT SetIcon(BSTR url) = 0;
};

// What is shown: a programme's descriptive data. SetDirector and SetPresenter add a name each time
// they are called; the other setters replace the value.
struct IProgram : IUnknown {
  virtual HRESULT SetTitle(BSTR text) = 0;
  virtual HRESULT SetSubTitle(BSTR text) = 0;
  virtual HRESULT SetCategory(BSTR text) = 0;
  virtual HRESULT SetDescription(BSTR text) = 0;
  virtual HRESULT SetDirector(BSTR name) = 0;
  virtual HRESULT SetActors(BSTR names) = 0;
  virtual HRESULT SetDate(LONG year) = 0;
  virtual HRESULT SetStarRating(BSTR text) = 0;
  virtual HRESULT SetSubtitles(BSTR type) = 0;
  virtual HRESULT SetPreviouslyShown(LONG flag) = 0;
  virtual HRESULT SetRating(BSTR text) = 0;
  virtual HRESULT SetCountry(BSTR text) = 0;
  virtual HRESULT SetLanguage(BSTR text) = 0;
  virtual HRESULT SetPresenter(BSTR name) = 0;
  virtual HRESULT SetEpisodeNumber(BSTR text) = 0;
  virtual HRESULT SetColour(LONG flag) = 0;
  virtual HRESULT SetAspect(BSTR text) = 0;
  virtual HRESULT SetAudioPresent(LONG flag) = 0;
  virtual HRESULT SetVideoPresent(LONG flag) = 0;
  virtual HRESULT SetStereo(BSTR text) = 0;
  virtual HRESULT SetOrigLanguage(BSTR text) = 0;
  virtual HRESULT SetLength(LONG length) = 0;
  virtual HRESULT SetPremiere(LONG flag) = 0;
  virtual HRESULT SetLastChance(LONG flag) = 0;
  virtual HRESULT SetNew(LONG flag) = 0;
};

// A program on a service between a start and an end time (local wall-clock time), under a slot
// key. AddProgram attaches further programs sharing the slot, in call order.
struct IScheduleEntry : IUnknown {
  virtual HRESULT SetProgram(IProgram* program) = 0;
  // Null leaves the entry without a service.
  virtual HRESULT SetService(IService* service) = 0;
  virtual HRESULT SetProvider(IProvider* provider) = 0;
  virtual HRESULT SetStartTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                               uint16_t minute, uint16_t second) = 0;
  virtual HRESULT SetEndTime(uint16_t year, uint16_t month, uint16_t day, uint16_t hour,
                             uint16_t minute, uint16_t second) = 0;
  virtual HRESULT AddProgram(IProgram* program) = 0;
};

inline constexpr IID IID_IProvider = {
    0x542440BA, 0x3553, 0x43FF, {0x9F, 0x70, 0x21, 0x44, 0x1C, 0x52, 0xEF, 0xDC}};
inline constexpr IID IID_IService = {
    0x493BAAEB, 0xF445, 0x4033, {0x98, 0xCD, 0xC7, 0xD5, 0x1A, 0x9D, 0xC9, 0xA3}};
inline constexpr IID IID_IProgram = {
    0x0D423DE8, 0x8ED9, 0x49F5, {0xBB, 0xCA, 0x61, 0x07, 0xBC, 0x8C, 0x89, 0xBD}};
inline constexpr IID IID_IScheduleEntry = {
    0xF1ED1758, 0x1992, 0x43D8, {0x87, 0x13, 0x1A, 0x32, 0x6D, 0xA9, 0xE5, 0xE7}};
