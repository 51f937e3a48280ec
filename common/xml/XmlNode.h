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

    // Copies tagText and splits it into name and attributes. Throws CStreamException.
    explicit CNode(const char* tagText);
    ~CNode();
    CNode(const CNode&) = delete;
    CNode& operator=(const CNode&) = delete;

    const char* Name() const { return tag_.get(); }
    // Value of the first attribute whose name begins with name, ignoring case; null if none.
    const char* GetAttribute(const char* name) const;
    // This node or its first descendant (depth first, pre-order) whose whole name equals
    // name, ignoring case; null if none.
    CNode* FindElement(const char* name);
    const CNode* FindElement(const char* name) const;

    const char* Text() const { return text_.get(); }  // null when the element has none
    int AttributeCount() const { return count_ - 1; }
    const char* AttributeName(int index) const;  // index 0 .. AttributeCount() - 1
    const char* AttributeValue(int index) const;

    CNode* FirstChild() const { return firstChild_; }
    CNode* Parent() const { return parent_; }
    CNode* NextSibling() const { return nextSibling_; }

    // Tree building, used by the parser.
    void SetText(const char* data);  // an empty text leaves the old one in place
    void AppendChild(std::unique_ptr<CNode> child);

private:
    struct Attribute {
        size_t name;
        size_t value;
    };

    void Split(size_t length);

    std::unique_ptr<char[]> text_;
    std::unique_ptr<char[]> tag_;
    std::unique_ptr<Attribute[]> attributes_;
    int count_ = 0;  // entries used in attributes_, element name included
    CNode* firstChild_ = nullptr;
    CNode* lastChild_ = nullptr;  // makes appending a child constant time
    CNode* parent_ = nullptr;
    CNode* nextSibling_ = nullptr;
};

}  // namespace XML
