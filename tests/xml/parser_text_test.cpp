// The text rules on small documents read from files, line by line as the jobs read them.
#include "tests/support/run_program.h"
#include "tests/xml/tree.h"

namespace {

// Parses the document from a file and returns the tree dumped, or the error code.
std::string DumpOf(const std::string& document) {
  testing_support::TempDir dir;
  testing_support::WriteFile(dir / "doc.xml", document);
  TreeParser parser;
  unsigned code = parser.Read(dir / "doc.xml");
  return code != 0 ? "code " + std::to_string(code) : Dump(parser.GetRoot());
}

// The document with every line break written CR LF, or in UTF-16 with a byte-order mark.
std::string Recoded(const std::string& document, bool utf16) {
  std::string recoded = utf16 ? "\xFF\xFE" : "";
  for (char c : document)
    recoded += utf16 ? std::string{c, '\0'} : c == '\n' ? std::string("\r\n") : std::string(1, c);
  return recoded;
}

TEST(ParserText, RunsBetweenLineBreaksAreTrimmedAndJoinedWithOneSpace) {
  struct Case {
    std::string document;
    const char* tree;
  };
  const Case cases[] = {
      // References and expat's own cuts join a run as written.
      {"<title>AT&amp;T</title>", "title(AT&T)"},
      {"<title>Peter Kay&apos;s Car Share</title>", "title(Peter Kay's Car Share)"},
      {"<t>Bobby &quot;Tables&quot; &lt;3</t>", "t(Bobby \"Tables\" <3)"},
      {"<t>caf&#xE9; &#8364;5 &#65;&#66; &amp; &amp;</t>",
       "t(caf\xC3\xA9 \xE2\x82\xAC"
       "5 AB & &)"},
      {"<t> <![CDATA[a < b]]>&amp;c <![CDATA[ ]]> </t>", "t(a < b&c)"},
      // Three lines, each trimmed of its spaces; a reference at a line's edge.
      {"<tv>\n  <desc>  First line  \n     second&amp;\n&amp;third  </desc>\n</tv>\n",
       "tv{desc(First line second& &third)}"},
      // Blank runs add nothing, also inside a CDATA section.
      {"<tv>\n  <a>   \n\t\n  </a>\n  <b><![CDATA[  ]]></b>\n</tv>", "tv{a,b}"},
      // Only spaces are trimmed: a leading tab stays.
      {"<title>\tTabbed  </title>", "title(\tTabbed)"},
      // Mixed content: the element's own runs only, ended by the child's tags.
      {"<a>x<b>y</b>z</a>", "a(x z){b(y)}"},
      {"<a>x <b/>&amp; y</a>", "a(x & y){b}"},
      // Entities of a DTD that is never read: XHTML names stand for their character.
      {"<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n<t>Caf&eacute; at&nbsp;Noon&unknown;!</t>",
       "t(Caf\xC3\xA9 at\xC2\xA0Noon!)"},
      // Line breaks in a tag are blanks; CR LF reads like LF.
      {"<p title=\"one\ntwo\"/>", "p[title=one two]"},
      {"<programme start=\"1\"\n           channel=\"c\">\n  <title>T</title>\n</programme>",
       "programme[start=1,channel=c]{title(T)}"},
      {Recoded("<tv a=\"x\ny\">\n  <desc>one \n two</desc>\n  <t>\n  </t>\n</tv>", false),
       "tv[a=x y]{desc(one two),t}"},
      {"\n\r\n<?xml version=\"1.0\"?>\n\n<tv/>\n\n", "tv"},  // empty lines before the declaration
      // Indentation after a tag is not fed to expat, except in sections that run over lines.
      {"<tv>\n  <a>some text\n    <i>x</i>\n  </a>\n  <b><![CDATA[x>\n  <y>]]></b>\n  <!-- c -->\n"
       "  <?pi x?>\n\t<c/>\n  <d\n    e=\"1\"/>\n  </tv>",
       "tv{a(some text){i(x)},b(x> <y>),c,d[e=1]}"},
      // Bytes from 0x80 on are graphic and kept as they stand, in every plane; a document that is
      // not well-formed UTF-8 is refused, so nothing else reaches the text.
      {"<t>\x7F</t>", "t"},
      {"<title> \xD0\x9D\xD0\xBE\xD0\xB2 \xE3\x83\x8B\xE3\x83\xA5 </title>",
       "title(\xD0\x9D\xD0\xBE\xD0\xB2 \xE3\x83\x8B\xE3\x83\xA5)"},
      {"<t>\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80</t>",
       "t(\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80)"},
      {"<t>a\xFFz</t>", "code 5"},
      {"<t>\xED\xA0\x80</t>", "code 5"},
      {"<t>&#xD800;</t>", "code 5"},
      {"<channel id=\"K\xC3\xB6ln &amp; \xD0\x96\"/>", "channel[id=K\xC3\xB6ln & \xD0\x96]"},
      // Another encoding arrives converted to UTF-8; a byte-order mark decides.
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<t a=\"\xE9\">\xE9t\xE9</t>",
       "t[a=\xC3\xA9](\xC3\xA9t\xC3\xA9)"},
      {Recoded("<t a=\"1\">\n  one\r\n  two\n</t>\n", true), "t[a=1](one two)"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DumpOf(c.document), c.tree) << c.document;
}

}  // namespace
