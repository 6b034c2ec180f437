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

}  // namespace
