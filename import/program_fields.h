// Copies what the guide keeps of a finished XMLTV programme element into a program object: the
// children after the title, in a fixed order, one component call per child present.
#pragma once

#include "import/epgdb/items.h"
#include "platform/com/bstr_buffer.h"
#include "xml/element.h"

// Calls the program's setters for the programme's sub-title, desc, credits, date, category,
// languages, length, country, episode number, video, audio, flags, subtitles and ratings. Children
// that are not kept (other credits, icon, url) are logged at TRACE level as unused. The texts are
// handed over in `text`.
void FillProgram(OKRXMLElement* programme, IProgram* program, BstrBuffer& text);
