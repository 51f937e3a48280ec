#include <gtest/gtest.h>

#include <string>

#include "common/xml/tests/XmlTestStream.h"

using XML::CNode;

namespace {

// Message of the CStreamException that parsing text throws, or "" when it parses.
std::string ParseFailure(const std::string& text) {
    try {
        ParseText(text);
    } catch (const XML::CStreamException& e) {
        EXPECT_EQ(0, e.Code());
        return e.Message();
    }
    return "";
}

}  // namespace

TEST(XmlParse, BuildsTreeWithAttributesAndText) {
    auto root = ParseText(
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!-- skin -->\n"
        "<skin version=\"2\">\n"
        "  <windowSkins>\n"
        "    <windowSkin target=\"main\" height = \"30\"><image path=\"main.bmp\"/></windowSkin>\n"
        "    <windowSkin target=\"lamp\">lit</windowSkin>\n"
        "  </windowSkins>\n"
        "</skin>\n");
    ASSERT_TRUE(root);
    EXPECT_STREQ("skin", root->Name());
    EXPECT_STREQ("2", root->GetAttribute("version"));
    const CNode* list = root->FirstChild();
    ASSERT_TRUE(list);
    EXPECT_STREQ("windowSkins", list->Name());
    EXPECT_EQ(root.get(), list->Parent());
    const CNode* main = list->FirstChild();
    ASSERT_TRUE(main);
    EXPECT_STREQ("main", main->GetAttribute("target"));
    EXPECT_STREQ("30", main->GetAttribute("height"));
    ASSERT_TRUE(main->FirstChild());
    EXPECT_STREQ("main.bmp", main->FirstChild()->GetAttribute("path"));
    const CNode* lamp = main->NextSibling();
    ASSERT_TRUE(lamp);
    EXPECT_STREQ("lit", lamp->Text());
    EXPECT_EQ(nullptr, lamp->NextSibling());
    EXPECT_EQ(2, main->AttributeCount());
}

TEST(XmlParse, FailureMessages) {
    EXPECT_EQ("Too many attributes", ParseFailure("<a x=\"1\" bare>"));
    EXPECT_EQ("Bad tag value", ParseFailure("<a x=1>"));
    EXPECT_EQ("Bad tag value", ParseFailure("<a x='1'>"));
    EXPECT_EQ("Bad tag value", ParseFailure("<a x=>"));
    EXPECT_EQ("Not XML document", ParseFailure("<?xml-stylesheet href=\"a.xsl\"?><a/>"));
    EXPECT_EQ("Not XML document", ParseFailure("<?php echo 1; ?>"));
    EXPECT_EQ("Unexpected end tag", ParseFailure("</a>"));
    EXPECT_EQ("Unexpected end tag", ParseFailure("<a></a></b>"));
    EXPECT_EQ("Content too big", ParseFailure("<a>" + std::string(102401, 'x') + "</a>"));
    EXPECT_EQ("", ParseFailure("<a>" + std::string(102400, 'x') + "</a>"));
    EXPECT_EQ("Tag too long", ParseFailure("<" + std::string(102401, 'a') + ">"));
}

TEST(XmlParse, TagLengthLimitOfANode) {
    const std::string longest = "a x=\"" + std::string(CNode::kMaxTagLength - 6, 'v') + "\"";
    ASSERT_EQ(CNode::kMaxTagLength, longest.size());
    auto root = ParseText("<" + longest + "/>");
    ASSERT_TRUE(root);
    EXPECT_EQ(CNode::kMaxTagLength - 6, std::string(root->GetAttribute("x")).size());
    EXPECT_EQ("Tag too long", ParseFailure("<" + longest + " />"));
    // Comments are skipped, not kept, so they may be as long as the buffer.
    EXPECT_EQ("", ParseFailure("<!--" + std::string(50000, '-') + "--><a/>"));
}

TEST(XmlParse, QuotedEqualsSignIsOneAttribute) {
    auto root = ParseText("<a expr=\"x=y\" b=\"2\"/>");
    ASSERT_TRUE(root);
    EXPECT_EQ(2, root->AttributeCount());
    EXPECT_STREQ("x=y", root->GetAttribute("expr"));
    EXPECT_STREQ("2", root->GetAttribute("b"));
}

TEST(XmlParse, DeclarationIsOptionalAndCaseInsensitive) {
    EXPECT_TRUE(ParseText("<?XML version=\"1.0\"?><a/>"));
    EXPECT_TRUE(ParseText("<a/>"));
    EXPECT_EQ("Not XML document", ParseFailure("<?xml?><a/>"));
}

TEST(XmlParse, EmptyElementNeverBecomesCurrent) {
    auto root = ParseText("<outer><inner/></outer><!-- after -->");
    ASSERT_TRUE(root);
    ASSERT_TRUE(root->FirstChild());
    EXPECT_STREQ("inner", root->FirstChild()->Name());
    EXPECT_EQ(nullptr, root->FirstChild()->FirstChild());
    // The end tag closed outer, so a second end tag has nothing open.
    EXPECT_EQ("Unexpected end tag", ParseFailure("<outer><inner/></outer></outer>"));
}

TEST(XmlParse, EndTagNameIsNotChecked) {
    auto root = ParseText("<a><b></zzz><c/></a>");
    ASSERT_TRUE(root);
    const CNode* b = root->FirstChild();
    ASSERT_TRUE(b);
    ASSERT_TRUE(b->NextSibling());
    EXPECT_STREQ("c", b->NextSibling()->Name());
}

TEST(XmlParse, TextGoesToElementOpenWhenNextTagBegins) {
    auto root = ParseText("<a>one<b/>two</a>");
    ASSERT_TRUE(root);
    EXPECT_STREQ("two", root->Text());
    EXPECT_EQ(nullptr, root->FirstChild()->Text());

    // Whitespace-only runs count, nothing is trimmed, entities stay as written.
    root = ParseText("<a> x &amp; y </a>");
    EXPECT_STREQ(" x &amp; y ", root->Text());
    root = ParseText("<a>kept<b>\n</b>\n</a>");
    EXPECT_STREQ("\n", root->Text());
    EXPECT_STREQ("\n", root->FirstChild()->Text());

    // Data after the last tag, and unclosed elements, are no error.
    root = ParseText("<a><b>open");
    ASSERT_TRUE(root);
    EXPECT_EQ(nullptr, root->FirstChild()->Text());
}

TEST(XmlParse, CommentEndsAtFirstGreaterThan) {
    auto root = ParseText("<a><!-- x > y -->z</a>");
    ASSERT_TRUE(root);
    EXPECT_STREQ(" y -->z", root->Text());
}

TEST(XmlParse, EmptyInputAndEmptyTags) {
    EXPECT_FALSE(ParseText(""));
    EXPECT_FALSE(ParseText("just text"));
    EXPECT_FALSE(ParseText("<><>"));
    EXPECT_FALSE(ParseText("<!DOCTYPE skin><!-- only -->"));
}

TEST(XmlParse, LaterTopLevelElementReplacesRoot) {
    auto root = ParseText("<first><x/></first><second/>");
    ASSERT_TRUE(root);
    EXPECT_STREQ("second", root->Name());
}

TEST(XmlParse, PartialTreeBelongsToRootOnFailure) {
    MemoryStream stream("<a><b><c x=1>");
    std::unique_ptr<CNode> root;
    EXPECT_THROW(stream.Parse(root), XML::CStreamException);
    ASSERT_TRUE(root);
    EXPECT_STREQ("b", root->FirstChild()->Name());
}

TEST(XmlNode, TagSplitting) {
    CNode node("part\tname =  \"Top Left\"\r\n rect=\"1,2,3,4\" empty=\"\" open=\"tail");
    EXPECT_STREQ("part", node.Name());
    ASSERT_EQ(4, node.AttributeCount());
    EXPECT_STREQ("name", node.AttributeName(0));
    EXPECT_STREQ("Top Left", node.AttributeValue(0));
    EXPECT_STREQ("rect", node.AttributeName(1));
    EXPECT_STREQ("", node.GetAttribute("empty"));
    EXPECT_STREQ("tail", node.GetAttribute("open"));
    EXPECT_EQ(nullptr, node.AttributeName(4));

    CNode bare("image");
    EXPECT_STREQ("image", bare.Name());
    EXPECT_EQ(0, bare.AttributeCount());
    EXPECT_EQ(nullptr, bare.GetAttribute("image"));  // the element name is no attribute

    // A '%' has no special meaning.
    CNode percent("a fmt=\"%s%d\"");
    EXPECT_STREQ("%s%d", percent.GetAttribute("fmt"));
}

TEST(XmlNode, GetAttributeUsesCaseInsensitivePrefix) {
    CNode node("part rectangle=\"1,1,1,1\" rect=\"2,2,2,2\" Name=\"x\"");
    EXPECT_STREQ("1,1,1,1", node.GetAttribute("rect"));
    EXPECT_STREQ("1,1,1,1", node.GetAttribute("RECT"));
    EXPECT_STREQ("x", node.GetAttribute("name"));
    EXPECT_STREQ("x", node.GetAttribute("NA"));
    EXPECT_EQ(nullptr, node.GetAttribute("names"));
    EXPECT_STREQ("1,1,1,1", node.GetAttribute(""));
}

TEST(XmlNode, FindElementIsPreOrderAndIgnoresCase) {
    auto root = ParseText("<Image id=\"self\"><a><image id=\"deep\"/></a><image id=\"second\"/></Image>");
    ASSERT_TRUE(root);
    EXPECT_EQ(root.get(), root->FindElement("image"));
    const CNode* a = root->FirstChild();
    EXPECT_STREQ("deep", a->FindElement("IMAGE")->GetAttribute("id"));
    EXPECT_EQ(nullptr, a->FindElement("img"));
    EXPECT_EQ(nullptr, a->FindElement("imagex"));
    // The search stays inside the subtree it starts from.
    const CNode* deep = a->FirstChild();
    EXPECT_EQ(nullptr, deep->FindElement("a"));

    auto doc = ParseText("<r><x><y/></x><z><t id=\"1\"/></z><t id=\"2\"/></r>");
    EXPECT_STREQ("1", doc->FindElement("t")->GetAttribute("id"));
}

TEST(XmlNode, DeepAndWideTreesAreFreedWithoutRecursion) {
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "<d>";
    auto root = ParseText(deep);
    ASSERT_TRUE(root);
    EXPECT_EQ(nullptr, root->FindElement("missing"));
    root.reset();

    std::string wide = "<w>";
    for (int i = 0; i < 200000; ++i)
        wide += "<s/>";
    root = ParseText(wide);
    ASSERT_TRUE(root);
    EXPECT_EQ(nullptr, root->FindElement("missing"));
}

TEST(XmlException, MessageIsCutTo127Characters) {
    const std::string longText(300, 'm');
    XML::CStreamException e(longText.c_str());
    EXPECT_EQ(std::string(127, 'm'), e.Message());
    XML::CGeneralException copy = e;
    EXPECT_STREQ(e.what(), copy.what());
    EXPECT_EQ(0, copy.Code());
}
