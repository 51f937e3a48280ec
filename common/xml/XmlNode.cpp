#include "common/xml/XmlNode.h"

#include <cstring>
#include <limits>

#include "common/xml/XmlException.h"

namespace XML {

namespace {

constexpr size_t kNoValue = std::numeric_limits<size_t>::max();

bool IsSpace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

// ASCII-only folding: the result must not depend on the thread's locale.
char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (Fold(*a) != Fold(*b))
            return false;
    }
    return *a == *b;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        if (!*text || Fold(*text) != Fold(*prefix))
            return false;
    }
    return true;
}

}  // namespace

CNode::CNode(const char* tagText) {
    const size_t length = std::strlen(tagText);
    if (length > kMaxTagLength)
        throw CStreamException("Tag too long");
    tag_.reset(new char[length + 1]);
    std::memcpy(tag_.get(), tagText, length + 1);
    Split(length);
}

CNode::~CNode() {
    // Frees the subtree without recursion, so that deep nesting or long runs of siblings
    // cannot exhaust the stack: each node's children are spliced in front of the pending
    // chain before the node itself is deleted childless.
    CNode* pending = firstChild_;
    firstChild_ = nullptr;
    while (pending) {
        CNode* node = pending;
        pending = node->nextSibling_;
        if (node->firstChild_) {
            node->lastChild_->nextSibling_ = pending;
            pending = node->firstChild_;
            node->firstChild_ = nullptr;
        }
        node->nextSibling_ = nullptr;
        delete node;
    }
}

void CNode::Split(size_t length) {
    char* t = tag_.get();

    // One entry per '=' outside double quotes, plus the element name.
    size_t capacity = 1;
    bool quoted = false;
    for (size_t i = 0; i < length; ++i) {
        if (t[i] == '"')
            quoted = !quoted;
        else if (t[i] == '=' && !quoted)
            ++capacity;
    }
    attributes_.reset(new Attribute[capacity]);
    attributes_[0] = {0, kNoValue};
    count_ = 1;

    size_t i = 0;
    while (i < length && !IsSpace(t[i]))
        ++i;
    if (i >= length)
        return;
    t[i++] = '\0';

    for (;;) {
        while (i < length && IsSpace(t[i]))
            ++i;
        if (i >= length)
            return;
        if (static_cast<size_t>(count_) == capacity)
            throw CStreamException("Too many attributes");
        const size_t nameAt = i;
        while (i < length && t[i] != '=') {
            if (IsSpace(t[i]))
                t[i] = '\0';
            ++i;
        }
        if (i >= length)
            throw CStreamException("Bad tag value");
        t[i++] = '\0';
        while (i < length && IsSpace(t[i]))
            ++i;
        if (i >= length || t[i] != '"')
            throw CStreamException("Bad tag value");
        const size_t valueAt = ++i;
        while (i < length && t[i] != '"')
            ++i;
        if (i < length)
            t[i++] = '\0';
        attributes_[count_++] = {nameAt, valueAt};
    }
}

const char* CNode::GetAttribute(const char* name) const {
    for (int i = 1; i < count_; ++i) {
        if (StartsWithNoCase(tag_.get() + attributes_[i].name, name))
            return tag_.get() + attributes_[i].value;
    }
    return nullptr;
}

const char* CNode::AttributeName(int index) const {
    return (index >= 0 && index + 1 < count_) ? tag_.get() + attributes_[index + 1].name : nullptr;
}

const char* CNode::AttributeValue(int index) const {
    return (index >= 0 && index + 1 < count_) ? tag_.get() + attributes_[index + 1].value : nullptr;
}

const CNode* CNode::FindElement(const char* name) const {
    // Pre-order walk of this subtree through the parent links, without recursion.
    const CNode* node = this;
    for (;;) {
        if (EqualNoCase(node->Name(), name))
            return node;
        if (node->firstChild_) {
            node = node->firstChild_;
            continue;
        }
        while (node != this && !node->nextSibling_)
            node = node->parent_;
        if (node == this)
            return nullptr;
        node = node->nextSibling_;
    }
}

CNode* CNode::FindElement(const char* name) {
    return const_cast<CNode*>(static_cast<const CNode*>(this)->FindElement(name));
}

void CNode::SetText(const char* data) {
    const size_t length = std::strlen(data);
    if (length == 0)
        return;
    std::unique_ptr<char[]> copy(new char[length + 1]);
    std::memcpy(copy.get(), data, length + 1);
    text_ = std::move(copy);
}

void CNode::AppendChild(std::unique_ptr<CNode> child) {
    CNode* node = child.release();
    node->parent_ = this;
    if (lastChild_)
        lastChild_->nextSibling_ = node;
    else
        firstChild_ = node;
    lastChild_ = node;
}

}  // namespace XML
