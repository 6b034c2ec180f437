// The command line as a table of named parameters: options written "/name", "-name" or
// "/name:value" under their upper-cased name, every other argument under "%1", "%2", ... in order
// of appearance, and the whole line and the program name under COMMANDLINE and MODULEFILENAME.
// Parsing never fails; malformed pieces are skipped (with a TRACE line) or stored empty.
#pragma once

#include <map>
#include <string>

inline constexpr char COMMANDLINE[] = "COMMANDLINE";
inline constexpr char MODULEFILENAME[] = "MODULEFILENAME";

class CommandLineParser {
 public:
  // Names compare as unsigned bytes, a prefix first: "%10" sorts before "%2", and every
  // positional name before the letters.
  struct ByteOrder {
    bool operator()(const std::string& a, const std::string& b) const;
  };
  using Parameters = std::map<std::string, std::string, ByteOrder>;

  // Parses the process command line (after the log removed its switch).
  CommandLineParser();
  // Parses the given line; it is copied, not kept.
  explicit CommandLineParser(const std::string& commandLine);

  // Both take the name in any case. An option given without a value and an absent one both
  // yield ""; HasParameter tells them apart.
  bool HasParameter(std::string name) const;
  std::string GetParameter(std::string name) const;

  // Every entry (name, value) in name order.
  Parameters::const_iterator begin() const { return m_Parameters.begin(); }
  Parameters::const_iterator end() const { return m_Parameters.end(); }

 private:
  void Parse(const std::string& line);
  size_t ParseProgramName(const std::string& line);
  size_t ParseOption(const std::string& line, size_t at);
  size_t ParseOptionValue(const std::string& line, size_t at, const std::string& name);
  void AddPositional(const std::string& value);
  // Keeps the first value stored under a name.
  void Add(const std::string& name, const std::string& value);

  Parameters m_Parameters;
  int m_nPositionalCount = 0;
};
