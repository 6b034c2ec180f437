#include "xml/parser.h"

#include <expat.h>

#include <algorithm>
#include <climits>
#include <exception>

#include "platform/codepage.h"
#include "xml/piece_reader.h"
#include "xml/xhtml_entities.h"

// expat's callbacks. Nothing may unwind through expat: a failure stops the parse instead.
struct OKRXMLExpatEvents {
  // A tag ends the run of text under way, which belongs to the element it opens or closes in.
  static void XMLCALL Start(void* user, const XML_Char* name, const XML_Char** attributes) {
    Guarded(user, [&](OKRXMLParser& parser) {
      parser.EndTextRun();
      parser.OnStartElement(name, attributes);
    });
  }
  static void XMLCALL End(void* user, const XML_Char* name) {
    Guarded(user, [&](OKRXMLParser& parser) {
      parser.EndTextRun();
      parser.OnEndElement(name);
    });
  }
  // expat delivers every line break as a piece of its own.
  static void XMLCALL Text(void* user, const XML_Char* data, int length) {
    if (data == nullptr || length <= 0)
      return;
    if (length == 1 && data[0] == '\n') {
      Guarded(user, [](OKRXMLParser& parser) { parser.EndTextRun(); });
      return;
    }
    Guarded(user, [&](OKRXMLParser& parser) { parser.OnCharacterData(data, length); });
  }
  // An entity declared in an external DTD, which is never read: an XHTML name stands for its
  // character, any other is dropped.
  static void XMLCALL SkippedEntity(void* user, const XML_Char* name, int isParameterEntity) {
    std::string_view text = isParameterEntity ? std::string_view() : XhtmlEntityText(name);
    if (text.empty())
      return;
    Guarded(user, [&](OKRXMLParser& parser) {
      parser.OnCharacterData(text.data(), static_cast<int>(text.size()));
    });
  }

  template <typename Event>
  static void Guarded(void* user, Event event) {
    if (user == nullptr)
      return;
    auto& parser = *static_cast<OKRXMLParser*>(user);
    if (parser.PastStop()) {
      XML_StopParser(parser.m_pExpat.get(), XML_FALSE);
      return;
    }
    try {
      event(parser);
    } catch (const std::exception& e) {
      parser.Abort(e.what());
    } catch (...) {
      parser.Abort("unknown failure");
    }
  }
};

void OKRXMLParser::ExpatDeleter::operator()(XML_ParserStruct* parser) const {
  XML_ParserFree(parser);
}

OKRXMLParser::OKRXMLParser() = default;

OKRXMLParser::~OKRXMLParser() {
  Close();
}

unsigned OKRXMLParser::Open() {
  if (m_pExpat)
    return 2;
  m_bStop = false;
  m_nFed = 0;
  m_pRoot.reset();
  m_pCurrent = nullptr;
  m_elementStack.clear();
  m_strAbortReason.clear();
  m_error = {};
  m_pExpat.reset(XML_ParserCreate(nullptr));
  if (!m_pExpat)
    return 1;
  XML_SetElementHandler(m_pExpat.get(), OKRXMLExpatEvents::Start, OKRXMLExpatEvents::End);
  if (KeepsText()) {
    XML_SetCharacterDataHandler(m_pExpat.get(), OKRXMLExpatEvents::Text);
    XML_SetSkippedEntityHandler(m_pExpat.get(), OKRXMLExpatEvents::SkippedEntity);
  }
  XML_SetUserData(m_pExpat.get(), this);
  return 0;
}

void OKRXMLParser::Close() {
  m_bTextRun = false;
  m_pRoot.reset();
  m_pCurrent = nullptr;
  m_elementStack.clear();
  m_pExpat.reset();
}

unsigned OKRXMLParser::ParseFile(const std::string& fileName) {
  if (!m_pExpat)
    return 3;
  m_error = {};
  m_error.m_strFileName = fileName;
  m_nBytesConsumed = 0;
  m_nSkippedLines = 0;
  OKRXMLPieceReader reader;
  if (!reader.Open(fileName, &m_error.m_strText))
    return m_error.m_nCode = 4;
  std::string_view piece;
  for (;;) {
    if (m_bStop) {
      m_error.m_bStopped = true;
      break;
    }
    OKRXMLPieceReader::Status status = reader.Next(&piece);
    if (status == OKRXMLPieceReader::Status::kEnd) {
      // A compressed file's last bytes (its trailer) are taken in only at its end.
      m_nBytesConsumed = reader.BytesConsumed();
      break;
    }
    if (status == OKRXMLPieceReader::Status::kError) {
      m_error.m_strText = reader.Error();
      m_error.m_nLine = reader.LineReached();
      return m_error.m_nCode = 4;
    }
    m_nBytesConsumed = reader.BytesConsumed();
    m_nSkippedLines = reader.SkippedLines();
    if (unsigned code = Parse(piece.data(), piece.size(), false)) {
      m_error.m_bStopped = m_bStop && FailedPastStop();
      m_error.m_nColumn += reader.Indentation(m_error.m_nLine);
      return code;
    }
  }
  unsigned code = Parse(nullptr, 0, true);
  if (code != 0)
    m_error.m_nColumn += reader.Indentation(m_error.m_nLine);
  return code;
}

unsigned OKRXMLParser::Parse(const char* data, size_t length, bool isFinal) {
  if (!m_pExpat)
    return 3;
  // expat takes an int length: more than that goes in several calls.
  do {
    size_t count = std::min<size_t>(length, INT_MAX);
    length -= count;
    m_feeding = std::string_view(data, count);
    XML_Status status =
        XML_Parse(m_pExpat.get(), data, static_cast<int>(count), isFinal && length == 0);
    m_feeding = {};
    m_nFed += count;
    if (status != XML_STATUS_OK) {
      RecordExpatError();
      return 5;
    }
    data += count;
  } while (length > 0);
  return 0;
}

void OKRXMLParser::OnStartElement(const char* name, const char** attributes) {
  if (!m_pExpat)
    return;
  std::string_view elementName = name != nullptr ? name : "";
  if (!m_pRoot) {
    m_pRoot = OKRXMLElement::CreateRoot(elementName);
    m_pCurrent = m_pRoot.get();
  } else {
    m_elementStack.push_back(m_pCurrent);
    m_pCurrent = m_pCurrent != nullptr ? m_pCurrent->AddChild(elementName) : nullptr;
  }
  if (m_pCurrent == nullptr || attributes == nullptr)
    return;
  for (; attributes[0] != nullptr; attributes += 2) {
    m_pCurrent->AddAttribute(attributes[0], attributes[1] != nullptr ? attributes[1] : "");
  }
}

void OKRXMLParser::OnEndElement(const char*) {
  if (!m_pExpat)
    return;
  if (m_elementStack.empty()) {
    m_pCurrent = nullptr;
  } else {
    m_pCurrent = m_elementStack.back();
    m_elementStack.pop_back();
  }
}

void OKRXMLParser::OnCharacterData(const char* data, int length) {
  if (!m_pExpat || data == nullptr || length <= 0 || m_pCurrent == nullptr)
    return;
  // expat hands over well-formed UTF-8 only, as it refuses a document with anything else, and
  // converting that to ANSI (UTF-8 here) leaves it as it is: the piece goes on the text unchanged.
  std::string_view piece(data, static_cast<size_t>(length));
  std::string& text = m_pCurrent->MutableText();
  if (!m_bTextRun) {
    // Spaces that would begin a run are trimmed anyway: the indentation of most lines.
    piece.remove_prefix(std::min(piece.find_first_not_of(' '), piece.size()));
    if (piece.empty())
      return;
    if (!text.empty())
      text += ' ';
    m_nTextRunStart = text.size();
    m_bTextRun = true;
  }
  text.append(piece);
}

void OKRXMLParser::EndTextRun() {
  if (!m_bTextRun)
    return;
  m_bTextRun = false;
  std::string& text = m_pCurrent->MutableText();
  std::string_view run = TrimSpaces(std::string_view(text).substr(m_nTextRunStart));
  if (run.empty()) {
    // Without the space put before the run.
    text.resize(m_nTextRunStart > 0 ? m_nTextRunStart - 1 : 0);
    return;
  }
  size_t first = static_cast<size_t>(run.data() - text.data());
  text.resize(first + run.size());
  text.erase(m_nTextRunStart, first - m_nTextRunStart);
}

void OKRXMLParser::HandleRecordEnd(unsigned code) {
  if (!m_pExpat || code != 0 || m_pCurrent == nullptr)
    return;
  OKRXMLElement* parent = m_pCurrent->GetParent();
  if (parent == nullptr)
    return;
  parent->RemoveChild(m_pCurrent);
  m_pCurrent = nullptr;
}

void OKRXMLParser::SetStopFlag() {
  if (m_bStop)
    return;
  m_bStop = true;
  m_nStopEnd = m_nFed + m_feeding.size();
  XML_Index at = m_pExpat ? XML_GetCurrentByteIndex(m_pExpat.get()) : -1;
  if (m_feeding.empty() || at < 0)
    return;
  // The line ends at the first line feed from the event's last byte on.
  uint64_t end = static_cast<uint64_t>(at) + XML_GetCurrentByteCount(m_pExpat.get());
  size_t lf = m_feeding.find('\n', end > m_nFed + 1 ? end - m_nFed - 1 : 0);
  if (lf != std::string_view::npos)
    m_nStopEnd = m_nFed + lf + 1;
}

bool OKRXMLParser::FailedPastStop() const {
  if (m_error.m_nExpatCode == XML_ERROR_ABORTED && m_strAbortReason.empty())
    return true;
  XML_Index at = XML_GetCurrentByteIndex(m_pExpat.get());
  return at >= 0 && static_cast<uint64_t>(at) >= m_nStopEnd;
}

bool OKRXMLParser::PastStop() const {
  if (!m_bStop)
    return false;
  XML_Parser parser = m_pExpat.get();
  XML_Index at = XML_GetCurrentByteIndex(parser);
  return at >= 0 && static_cast<uint64_t>(at) + XML_GetCurrentByteCount(parser) > m_nStopEnd;
}

void OKRXMLParser::Abort(const char* reason) {
  if (m_strAbortReason.empty())
    m_strAbortReason = reason;
  XML_StopParser(m_pExpat.get(), XML_FALSE);
}

void OKRXMLParser::RecordExpatError() {
  // The tree keeps what came before the error, its last text trimmed as usual.
  EndTextRun();
  XML_Parser parser = m_pExpat.get();
  XML_Error code = XML_GetErrorCode(parser);
  const char* text = XML_ErrorString(code);
  m_error.m_nCode = 5;
  m_error.m_nExpatCode = code;
  m_error.m_strText = !m_strAbortReason.empty() ? m_strAbortReason : text != nullptr ? text : "";
  // expat saw every line but the empty ones before the document.
  m_error.m_nLine = XML_GetCurrentLineNumber(parser) + m_nSkippedLines;
  m_error.m_nColumn = XML_GetCurrentColumnNumber(parser) + 1;
}
