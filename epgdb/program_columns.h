// The columns of the programs table after its id, in table order; a program object keeps one
// value per column.
#pragma once

#include <cstddef>

namespace epgdb {

enum ProgramColumn : size_t {
  kTitle,
  kSubTitle,
  kDescription,
  kCategory,
  kDirectors,
  kActors,
  kPresenters,
  kDate,
  kStarRating,
  kSubtitles,
  kPreviouslyShown,
  kRating,
  kCountry,
  kLanguage,
  kOrigLanguage,
  kEpisodeNumber,
  kColour,
  kAspect,
  kAudioPresent,
  kVideoPresent,
  kStereo,
  kLength,
  kPremiere,
  kLastChance,
  kIsNew,
  kProgramColumnCount
};

}  // namespace epgdb
