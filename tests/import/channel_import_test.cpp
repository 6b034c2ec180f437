// The import of channel elements: services, the channel map and channels.txt.
#include "import/epg_database.h"
#include "tests/import/import_job_fixture.h"

namespace import_test {
namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

using ChannelImportTest = ImportJobTest;

TEST_F(ChannelImportTest, EachChannelWithAnIdBecomesAService) {
  WriteFile(dir / "channels.txt", "stale\r\n");
  JobRun run = Run(R"(<tv>
<channel id="bare"/>
<channel id="full"><display-name lang="en">Full One</display-name><display-name lang="de">Voll Eins</display-name><icon src="http://example.org/full.png"/><icon src="http://example.org/other.png"/></channel>
<channel id="nosrc"><icon/></channel>
<channel id="emptysrc"><display-name></display-name><icon src=""/></channel>
<channel><display-name>No id</display-name></channel>
<channel id="Bare"/>
</tv>
)");
  EXPECT_TRUE(run.imported);
  EXPECT_EQ(Show(Starting(run.calls, "Service")),
            Show({
                "Services.Find(bare) -> null",
                "Services.Add(bare) -> Service#1",
                "Service#1.SetId(bare)",
                "Service#1.SetName(bare)",
                "Services.Find(full) -> null",
                "Services.Add(full) -> Service#2",
                "Service#2.SetId(full)",
                "Service#2.SetName(Full One)",
                "Service#2.SetIcon(http://example.org/full.png)",
                "Services.Find(nosrc) -> null",
                "Services.Add(nosrc) -> Service#3",
                "Service#3.SetId(nosrc)",
                "Service#3.SetName(nosrc)",
                "Services.Find(emptysrc) -> null",
                "Services.Add(emptysrc) -> Service#4",
                "Service#4.SetId(emptysrc)",
                "Service#4.SetName()",
                "Services.Find(Bare) -> null",
                "Services.Add(Bare) -> Service#5",
                "Service#5.SetId(Bare)",
                "Service#5.SetName(Bare)",
            }));
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "bare\r\nfull\r\nnosrc\r\nemptysrc\r\nBare\r\n");
  Lines dialogLines = DialogLines();
  EXPECT_TRUE(Has(dialogLines, "Full One")) << Show(dialogLines);
}

TEST_F(ChannelImportTest, ResultCodes) {
  CEPGDataBase job(options, dialog);
  auto channel = OKRXMLElement::CreateRoot("channel");
  channel->AddChild("display-name")->SetText("No id");
  EXPECT_EQ(job.HandleChannel(channel.get()), 23);
  EXPECT_EQ(job.HandleChannel(OKRXMLElement::CreateRoot("programme").get()), 22);
  EXPECT_EQ(job.HandleChannel(nullptr), 22);
  EXPECT_EQ(fake.Calls(), Lines{});
}

// Each element with the id runs in full, the later one's name set last; the map keeps the
// first service, which is the one programmes on that channel get.
TEST_F(ChannelImportTest, ARepeatedIdKeepsTheFirstServiceForProgrammes) {
  fake.failing = {{"Services.Find", S_FALSE}};  // so Add makes a second service for the id
  JobRun run = Run(R"(<tv>
<channel id="one"><display-name>First</display-name></channel>
<channel id="one"><display-name>Second</display-name><icon src="two.png"/></channel>
<programme start="202612071800" stop="202612071900" channel="one"><title>News</title></programme>
</tv>
)");
  EXPECT_EQ(Show(Starting(run.calls, "Service")), Show({
                                                      "Services.Find(one) -> null",
                                                      "Services.Add(one) -> Service#1",
                                                      "Service#1.SetId(one)",
                                                      "Service#1.SetName(First)",
                                                      "Services.Find(one) -> null",
                                                      "Services.Add(one) -> Service#2",
                                                      "Service#2.SetId(one)",
                                                      "Service#2.SetName(Second)",
                                                      "Service#2.SetIcon(two.png)",
                                                  }));
  EXPECT_TRUE(Has(run.calls, "Entry#1.SetService(Service#1)")) << Show(run.calls);
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "one\r\none\r\n");
}

// Silently: the id is still listed, and its programmes look the channel up in the component.
TEST_F(ChannelImportTest, AServiceThatCannotBeHadIsSkipped) {
  fake.failing = {{"Services.Find", S_FALSE}, {"Services.Add", E_FAIL}};
  JobRun run = Run(R"(<tv>
<channel id="one"/>
<programme start="202612071800" stop="202612071900" channel="one"><title>News</title></programme>
</tv>
)");
  EXPECT_TRUE(run.imported);
  EXPECT_EQ(Starting(run.log, "ERROR: "), Lines{});
  EXPECT_EQ(Starting(run.calls, "Service#"), Lines{});
  EXPECT_TRUE(Has(run.calls, "Services.Lookup(one) -> null"));
  EXPECT_TRUE(Has(run.calls, "Entry#1.SetService(null)"));
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "one\r\n");
}

TEST_F(ChannelImportTest, WithAServicesFileChannelsTxtIsLeftAlone) {
  WriteFile(dir / "channels.txt", "kept\r\n");
  options.m_strServicesFile = "order.txt";
  JobRun run = Run("<tv>\n<channel id=\"one\"/>\n</tv>\n");
  EXPECT_TRUE(Has(run.calls, "Database#1.SetServicesFile(order.txt)"));
  EXPECT_TRUE(Has(run.calls, "Service#1.SetId(one)"));
  EXPECT_EQ(ReadFile(dir / "channels.txt"), "kept\r\n");
}

}  // namespace
}  // namespace import_test
