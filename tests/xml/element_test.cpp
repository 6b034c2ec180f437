#include "xml/element.h"

#include "tests/xml/tree.h"

namespace {

TEST(Element, LookupsFindTheFirstExactNameAndIndexesOutOfRangeGiveNull) {
  auto root = OKRXMLElement::CreateRoot("programme");
  EXPECT_EQ(root->GetChild(0), nullptr);
  EXPECT_EQ(root->GetAttribute(0), nullptr);
  OKRXMLElement* first = root->AddChild("title");
  root->AddChild("title");
  root->AddAttribute("ID", "upper");
  EXPECT_EQ(root->FindChild("title"), first);
  EXPECT_EQ(root->FindChild("Title"), nullptr);
  EXPECT_EQ(root->FindChild("titl"), nullptr);
  EXPECT_EQ(root->FindAttribute("id"), nullptr);
  EXPECT_EQ(root->FindAttribute("ID")->GetValue(), "upper");
  EXPECT_EQ(first->GetParent(), root.get());
  EXPECT_EQ(root->GetChild(2), nullptr);
  EXPECT_EQ(root->GetAttribute(1), nullptr);
  EXPECT_EQ(root->GetChild(0xFFFFFFFFu), nullptr);
}

// Removed elements are reused for later ones: nothing of their text, attributes, children or
// parent may show through, however large they were.
TEST(Element, RemovedChildrenLeaveNoGapAndNothingOfThemInLaterElements) {
  auto root = OKRXMLElement::CreateRoot("tv");
  root->AddChild("a");
  OKRXMLElement* b = root->AddChild("b");
  b->AddChild("inside")->AddAttribute("x", "y");
  root->AddChild("c");
  auto stranger = OKRXMLElement::CreateRoot("b");
  root->RemoveChild(stranger.get());
  root->RemoveChild(nullptr);
  EXPECT_EQ(Dump(root.get()), "tv{a,b{inside[x=y]},c}");
  root->RemoveChild(b);
  EXPECT_EQ(Dump(root.get()), "tv{a,c}");
  for (int round = 0; round < 3; ++round) {
    OKRXMLElement* programme = root->AddChild("programme");
    for (int i = 0; i < 6; ++i)
      programme->AddAttribute("a" + std::to_string(i), std::string(1000 + round, 'v'));
    programme->SetText(std::string(2000, 't'));
    programme->AddChild("credits")->AddChild("actor")->AddAttribute("role", "Lead");
    EXPECT_EQ(programme->FindAttribute("a5")->GetValue().size(), 1000u + round);
    root->RemoveChild(programme);
  }
  OKRXMLElement* d = root->AddChild("d");
  OKRXMLElement* e = d->AddChild("e");
  e->AddAttribute("role", "x");
  OKRXMLElement* f = e->AddChild("f");
  EXPECT_EQ(Dump(root.get()), "tv{a,c,d{e[role=x]{f}}}");
  EXPECT_EQ(d->FindAttribute("a0"), nullptr);
  EXPECT_EQ(e->GetAttribute(1), nullptr);
  EXPECT_EQ(f->GetParent(), e);
  EXPECT_EQ(d->GetParent(), root.get());
}

}  // namespace
