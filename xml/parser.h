// The base class of both jobs' parsers. Reads a listings file through expat, one piece at a time
// (whole lines with their terminators, or a part of a very long line: piece_reader.h), and grows an
// OKRXMLElement tree from expat's events. There is no pass over a finished tree: start tags
// arrive in document order and an end tag arrives when its element is complete, so a subclass
// does its work in OnEndElement.
//
// Record handling, the shape both jobs use: a subclass overrides OnEndElement; when the current
// element (GetCurrent) is one of its record elements, it runs its handler on it and passes the
// handler's code to HandleRecordEnd; then, in every case, it calls the base OnEndElement:
//
//   void OnEndElement(const char* name) override {
//     OKRXMLElement* element = GetCurrent();
//     if (element != nullptr && element->GetName() == "channel") HandleRecordEnd(Write(element));
//     OKRXMLParser::OnEndElement(name);
//   }
//
// Text rules: element text is the element's own character data in runs, a run being what lies
// between two line breaks, or between a line break and a tag. The pieces of a run are joined as
// expat delivers them (it cuts text at references and where it likes), each run is trimmed of
// spaces (TrimSpaces), blank runs are dropped and the rest joined with one space. Text stays
// UTF-8, the ANSI code page: expat delivers nothing that is not well-formed. Every line reaches
// expat with its own terminator, which expat delivers in character data as a piece of its own.
// Inside a tag a line break is a blank, and in an attribute value expat turns it into a space.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "xml/element.h"
#include "xml/parse_error.h"

struct XML_ParserStruct;

class OKRXMLParser {
 public:
  OKRXMLParser();
  // Closes.
  virtual ~OKRXMLParser();
  OKRXMLParser(const OKRXMLParser&) = delete;
  OKRXMLParser& operator=(const OKRXMLParser&) = delete;

  // Creates the expat parser (the document's declaration or byte-order mark decides the
  // encoding, UTF-8 by default) and clears the stop flag. Returns 0 when open; 2 when it was open
  // already (nothing changes); 1 when expat cannot create a parser (the object stays closed).
  virtual unsigned Open();

  // Destroys the tree and the expat parser. Harmless at any time, also twice.
  virtual void Close();

  // Feeds the file to expat, piece by piece, until its end or until the stop flag is set, then
  // makes the final call. Returns 0 when the document was well-formed to its end; 3 when not
  // open; 4 when the file cannot be opened or read or its compressed data is faulty (no final
  // call is made; a gzip or xz file is decompressed on the way); 5 when expat reports
  // an error, which is also the usual outcome after a stop (the document is unfinished). Whatever
  // the callbacks did before stays done. GetParseError tells the cause of 4 and 5 and whether
  // the stop flag ended the reading.
  unsigned ParseFile(const std::string& fileName);

  // Feeds bytes to expat. Returns 0 on success, 3 when not open, 5 when expat reports an error.
  unsigned Parse(const char* data, size_t length, bool isFinal);

  // The events, called by expat from inside Parse; overrides chain to these.
  // Grows the tree: the first start tag creates the root, each later one a child of the current
  // element, which it becomes; the attributes are added in order, in UTF-8 as delivered.
  virtual void OnStartElement(const char* name, const char** attributes);
  // The enclosing element becomes current (none after the root).
  virtual void OnEndElement(const char* name);
  // Adds a piece of character data to the current element's run of text (text rules above).
  virtual void OnCharacterData(const char* data, int length);
  // False for a parser that never reads element text: expat then delivers no character data.
  virtual bool KeepsText() const { return true; }

  // The outcome of the last ParseFile.
  const OKRXMLParseError& GetParseError() const { return m_error; }

  // True when the text holds no graphic byte: none from 0x21 to 0x7E and none from 0x80 up.
  static bool IsBlank(std::string_view text);
  // The text without the spaces (0x20 only) at its start and end; empty when the text is blank.
  static std::string_view TrimSpaces(std::string_view text);

 protected:
  // The document element; null before the first start tag.
  OKRXMLElement* GetRoot() const { return m_pRoot.get(); }
  // The innermost open element, which receives new children, attributes and text.
  OKRXMLElement* GetCurrent() const { return m_pCurrent; }
  // The bytes of the file read by ParseFile so far, up to the end of the piece being parsed (the
  // whole file once it was read to its end); compressed bytes for a compressed file.
  uint64_t BytesConsumed() const { return m_nBytesConsumed; }
  // Asks ParseFile to read no further line once the one being parsed is done: called from a
  // callback, the events of the rest of that line still come, none of the lines behind it.
  void SetStopFlag();

  // Ends the current element as a record whose handler returned `code`: on 0 an element that has
  // a parent is cut out of the tree and destroyed, and the base OnEndElement then makes the
  // parent current again. A non-zero code, or the root, stays in the tree.
  void HandleRecordEnd(unsigned code);

 private:
  friend struct OKRXMLExpatEvents;
  struct ExpatDeleter {
    void operator()(XML_ParserStruct* parser) const;
  };

  // Stops expat after a callback failed; Parse then returns 5 with `reason` as the error text.
  void Abort(const char* reason);
  // True once the stop flag is set and the current event reaches past the line it was set on.
  bool PastStop() const;
  // True when the parse failed at, or was aborted for, an event behind the stop flag's line: a
  // line that would not have been read.
  bool FailedPastStop() const;
  void RecordExpatError();
  // Trims the run of text under way on the current element and joins it to the text before it.
  void EndTextRun();

  std::unique_ptr<XML_ParserStruct, ExpatDeleter> m_pExpat;
  std::unique_ptr<OKRXMLElement> m_pRoot;
  OKRXMLElement* m_pCurrent = nullptr;
  std::vector<OKRXMLElement*> m_elementStack;  // open ancestors of the current element
  // A run of text is under way on the current element: its text from m_nTextRunStart on.
  bool m_bTextRun = false;
  size_t m_nTextRunStart = 0;
  bool m_bStop = false;
  // expat is given many lines at once; the stop flag ends the handling where their lines would
  // have ended it. Offsets count the bytes given to expat.
  uint64_t m_nStopEnd = 0;     // the end of the line the stop flag was set on
  std::string_view m_feeding;  // the bytes of the XML_Parse call under way
  uint64_t m_nFed = 0;         // the bytes given before them
  uint64_t m_nBytesConsumed = 0;
  uint64_t m_nSkippedLines = 0;  // empty lines before the document, which expat never saw
  std::string m_strAbortReason;
  OKRXMLParseError m_error;
};
