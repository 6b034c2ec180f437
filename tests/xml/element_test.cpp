#include "xml/element.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/xml/test_support.h"

namespace {

TEST(Element, LookupsFindTheFirstExactName) {
  auto root = OKRXMLElement::CreateRoot("programme");
  OKRXMLElement* first = root->AddChild("title");
  OKRXMLElement* second = root->AddChild("title");
  root->AddAttribute("ID", "upper");
  EXPECT_EQ(root->FindChild("title"), first);
  EXPECT_NE(first, second);
  EXPECT_EQ(root->FindChild("Title"), nullptr);
  EXPECT_EQ(root->FindChild("titl"), nullptr);
  EXPECT_EQ(root->FindAttribute("id"), nullptr);
  EXPECT_EQ(root->FindAttribute("ID")->GetValue(), "upper");
  EXPECT_EQ(first->GetParent(), root.get());
  EXPECT_EQ(root->GetParent(), nullptr);
  EXPECT_EQ(first->GetText(), "");
}

TEST(Element, IndexesOutOfRangeGiveNull) {
  auto root = OKRXMLElement::CreateRoot("");
  EXPECT_EQ(root->GetName(), "");
  EXPECT_EQ(root->GetChild(0), nullptr);
  EXPECT_EQ(root->GetAttribute(0), nullptr);
  root->AddChild("a");
  root->AddAttribute("k", "v");
  EXPECT_EQ(root->GetChild(root->GetChildCount()), nullptr);
  EXPECT_EQ(root->GetAttribute(root->GetAttributeCount()), nullptr);
  EXPECT_EQ(root->GetChild(0xFFFFFFFFu), nullptr);
}

TEST(Element, RemoveChildClosesTheGapAndIgnoresStrangers) {
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
  EXPECT_EQ(root->GetChild(1)->GetName(), "c");
}

// Removed elements are reused for later ones: nothing of their text, attributes, children or
// parent may show through, however large they were.
TEST(Element, ElementsMadeAfterRemovalsStartEmpty) {
  auto root = OKRXMLElement::CreateRoot("tv");
  for (int round = 0; round < 3; ++round) {
    OKRXMLElement* programme = root->AddChild("programme");
    for (int i = 0; i < 6; ++i)
      programme->AddAttribute("a" + std::to_string(i), std::string(1000 + round, 'v'));
    programme->SetText(std::string(2000, 't'));
    OKRXMLElement* credits = programme->AddChild("credits");
    credits->AddChild("actor")->SetText("Someone");
    credits->AddChild("actor")->AddAttribute("role", "Lead");
    EXPECT_EQ(programme->GetAttributeCount(), 6u);
    EXPECT_EQ(programme->FindAttribute("a5")->GetValue().size(), 1000u + round);
    EXPECT_EQ(Dump(credits), "credits{actor(Someone),actor[role=Lead]}");
    root->RemoveChild(programme);
  }
  OKRXMLElement* a = root->AddChild("a");
  OKRXMLElement* b = a->AddChild("b");
  b->AddAttribute("role", "x");
  OKRXMLElement* c = b->AddChild("c");
  EXPECT_EQ(Dump(root.get()), "tv{a{b[role=x]{c}}}");
  EXPECT_EQ(a->GetAttribute(0), nullptr);
  EXPECT_EQ(a->FindAttribute("a0"), nullptr);
  EXPECT_EQ(b->GetAttribute(1), nullptr);
  EXPECT_EQ(c->GetParent(), b);
  EXPECT_EQ(b->GetParent(), a);
  EXPECT_EQ(a->GetParent(), root.get());
}

TEST(Element, TextIsReplacedOrAppended) {
  auto root = OKRXMLElement::CreateRoot("t");
  root->SetText("one");
  root->AppendText(" two");
  EXPECT_EQ(root->GetText(), "one two");
  root->SetText("");
  EXPECT_EQ(root->GetText(), "");
}

TEST(Element, DeepAndWideTreesAreDestroyedWithoutRecursion) {
  auto root = OKRXMLElement::CreateRoot("root");
  OKRXMLElement* element = root.get();
  for (int i = 0; i < 1000000; ++i)
    element = element->AddChild("a");
  for (int i = 0; i < 1000; ++i)
    root->AddChild("wide")->AddAttribute("n", "v");
  EXPECT_EQ(CountElements(root.get()), 1001001u);
  root.reset();
}

}  // namespace
