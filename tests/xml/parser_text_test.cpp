// The text rules on small documents read from files, line by line as the jobs read them.
#include <gtest/gtest.h>

#include <string>

#include "tests/xml/test_support.h"

namespace {

// Parses the document from a file and returns the tree dumped, or the error code.
std::string DumpOf(const std::string& document) {
  TempDir dir;
  unsigned code;
  auto parser = ParseDocument(dir.Write("doc.xml", document), &code);
  if (code != 0)
    return "code " + std::to_string(code);
  return Dump(parser->GetRoot());
}

TEST(ParserText, RunsBetweenLineBreaksAreTrimmedAndJoinedWithOneSpace) {
  struct Case {
    const char* document;
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
  };
  for (const Case& c : cases)
    EXPECT_EQ(DumpOf(c.document), c.tree) << c.document;
}

TEST(ParserText, NonAsciiTextIsKept) {
  // Only Cyrillic letters (and spaces): graphic, so kept.
  EXPECT_EQ(DumpOf("<title>\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8</title>"),
            "title(\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8)");
  EXPECT_EQ(DumpOf("<title> \xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9 </title>"),
            "title(\xE3\x83\x8B\xE3\x83\xA5\xE3\x83\xBC\xE3\x82\xB9)");
  // Every plane, as it stands; a document that is not well-formed UTF-8 is refused, so nothing
  // else ever reaches the text.
  EXPECT_EQ(DumpOf("<t>\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80</t>"),
            "t(\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80)");
  EXPECT_EQ(DumpOf("<t>a\xFFz</t>"), "code 5");
  EXPECT_EQ(DumpOf("<t>\xED\xA0\x80</t>"), "code 5");
  EXPECT_EQ(DumpOf("<t>&#xD800;</t>"), "code 5");
  // Attribute values stay UTF-8 as expat delivers them, with the entity replaced.
  EXPECT_EQ(DumpOf("<channel id=\"K\xC3\xB6ln &amp; \xD0\x96\"/>"),
            "channel[id=K\xC3\xB6ln & \xD0\x96]");
  // A document in another encoding arrives converted to UTF-8.
  EXPECT_EQ(DumpOf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<t a=\"\xE9\">\xE9t\xE9</t>"),
            "t[a=\xC3\xA9](\xC3\xA9t\xC3\xA9)");
  // Its byte-order mark decides: UTF-16 over several lines.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("<t a=\"1\">\n  one\r\n  two\n</t>\n"))
    utf16 += std::string{c, '\0'};
  EXPECT_EQ(DumpOf(utf16), "t[a=1](one two)");
}

TEST(ParserText, LineBreaksInsideTagsAreBlanks) {
  // An attribute value over two lines keeps a space where the break was.
  EXPECT_EQ(DumpOf("<p title=\"one\ntwo\"/>"), "p[title=one two]");
  // A start tag broken between its attributes is well-formed.
  EXPECT_EQ(
      DumpOf("<programme start=\"1\"\n           channel=\"c\">\n  <title>T</title>\n</programme>"),
      "programme[start=1,channel=c]{title(T)}");
}

TEST(ParserText, CrLfReadsLikeLf) {
  std::string document =
      "<?xml version=\"1.0\"?>\n<tv a=\"x\ny\">\n  <desc>one \n two</desc>\n  <t>\n  </t>\n</tv>\n";
  std::string crlf;
  for (char c : document)
    crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(DumpOf(document), "tv[a=x y]{desc(one two),t}");
  EXPECT_EQ(DumpOf(crlf), DumpOf(document));
}

TEST(ParserText, EmptyLinesBeforeTheDeclarationAreSkipped) {
  EXPECT_EQ(DumpOf("\n\r\n<?xml version=\"1.0\"?>\n\n<tv/>\n\n"), "tv");
}

}  // namespace
