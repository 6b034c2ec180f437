// What the end-to-end tests compare the program with: the independent model of what an import or
// an extraction must store (expected_guide.py), and the guide a run left, read back as text.
#pragma once

#include <string>
#include <vector>

namespace guide_model {

// The model's lines for the file ("channels" in document order, "entries" or "programs" sorted).
// A model that fails is a test failure and gives no lines.
std::vector<std::string> ModelLines(const std::string& what, const std::string& file);

// The schedule entries stored, in the model's form (slot key|start|end|title|channel id or NULL),
// sorted; none when there is no database.
std::vector<std::string> StoredEntries(const std::string& database);

// The programs of the schedule entries stored and the programs their clumps added, in the
// model's form, with the number of "Unused" lines in `log`; sorted.
std::vector<std::string> StoredPrograms(const std::string& database, const std::string& log);

}  // namespace guide_model
