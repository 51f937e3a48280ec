#pragma once
// One element of the skin description tree: its raw tag cut into name and attributes, its text
// and the links of the tree. A node owns its children, and through them their siblings.
#include <cstddef>
#include <memory>

namespace XML {

class CNode {
public:
    // Longest tag text a node holds; a longer start tag is rejected with "Tag too long".
    static constexpr size_t kMaxTagLength = 8191;

    // Copies tagText and splits it into name and attributes. Throws StreamException.
    explicit CNode(const char* tagText);
    ~CNode();
    CNode(const CNode&) = delete;
    CNode& operator=(const CNode&) = delete;

    const char* Name() const { return tag.get(); }
    // Value of the first attribute whose name begins with name, ignoring case; null if none.
    const char* GetAttribute(const char* name) const;
    // This node or its first descendant (depth first, pre-order) whose whole name equals
    // name, ignoring case; null if none.
    CNode* FindElement(const char* name);
    const CNode* FindElement(const char* name) const;

    const char* Text() const { return text.get(); }  // null when the element has none
    int AttributeCount() const { return count - 1; }
    const char* AttributeName(int index) const;   // index 0 .. AttributeCount() - 1
    const char* AttributeValue(int index) const;

    CNode* FirstChild() const { return firstChild; }
    CNode* Parent() const { return parent; }
    CNode* NextSibling() const { return nextSibling; }

    // Tree building, used by the parser.
    void SetText(const char* data);  // an empty text leaves the old one in place
    void AppendChild(std::unique_ptr<CNode> child);

private:
    struct Attribute {
        size_t name;
        size_t value;
    };

    void Split(size_t length);

    std::unique_ptr<char[]> text;
    std::unique_ptr<char[]> tag;
    std::unique_ptr<Attribute[]> attributes;
    int count = 0;  // entries used in attributes, element name included
    CNode* firstChild = nullptr;
    CNode* lastChild = nullptr;  // makes appending a child constant time
    CNode* parent = nullptr;
    CNode* nextSibling = nullptr;
};

}  // namespace XML
