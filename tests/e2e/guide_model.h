// Outside views that end-to-end tests compare the program with: the listings files of the
// samples folder, xmllint's verdict on a file, the independent model of what an import or an
// extraction must store (expected_guide.py), and the same facts read back from a database.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace guide_model {

// The names of the listings files (*.xml) in the samples folder, sorted; none when it is missing.
std::vector<std::string> SampleFiles();

// The name of a test of one sample file: its name without extension, every other character than
// letters and digits made '_'.
std::string SampleTestName(const ::testing::TestParamInfo<std::string>& info);

// True when xmllint finds the file well-formed.
bool IsWellFormed(const std::string& file);

// The model's lines for the file ("channels" or "entries"), entries sorted. A model that fails
// is a test failure and gives no lines.
std::vector<std::string> ModelLines(const std::string& what, const std::string& file);

// The model's channel ids as channels.txt must hold them: each followed by CR LF.
std::string ChannelsFileText(const std::string& file);

// The schedule entries stored in the database, in the model's form
// (slot key|start|end|title|channel id or NULL), sorted; none when there is no
// database.
std::vector<std::string> StoredEntries(const std::string& database);

// Every row of the guide with its ids replaced by what they name, sorted, and the row count of
// every table: equal before and after a run exactly when the run changed nothing but ids.
std::vector<std::string> GuideContent(const std::string& database);

}  // namespace guide_model
