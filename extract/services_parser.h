// The extraction job: reads a listings file and writes the id of every channel element to
// channels.txt, one per line, without touching the EPG database.
#pragma once

#include "app/import_options.h"
#include "ui/progress_dialog.h"
#include "xml/parser.h"

class CServicesParser : public OKRXMLParser {
 public:
  CServicesParser(const ImportOptions& options, CProgressDialog& progress);

  // Makes the parser, then deletes channels.txt. 0 when ready; the parser's code otherwise, and
  // then the file is left alone.
  unsigned Open() override;

  // Reads the whole file, writing each channel's line as its end tag is read. True when the file
  // was read to a well-formed end; false (after writing every line it could) when it cannot be
  // read or is not well-formed, which is logged with the file name and the place of the fault.
  bool ExtractServices();

  // Writes one channel's id. 0 when handled (also when the file cannot be written); 22 for no
  // element or one not named channel; 23 for a channel without id.
  unsigned WriteService(OKRXMLElement* element);

 protected:
  // Only channel ids are read: the attributes of other elements and all text are not kept.
  void OnStartElement(const char* name, const char** attributes) override;
  void OnEndElement(const char* name) override;
  bool KeepsText() const override { return false; }

 private:
  CProgressDialog* m_pProgress;
  const ImportOptions* m_pOptions;
};
